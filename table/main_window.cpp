#include "main_window.h"

#include "access_keys.h"
#include "card_code.h"
#include "card_view.h"
#include "frames.h"
#include "icons.h"
#include "twips.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace {

const QColor kFieldGreen(0, 128, 0);

QFont ArialFont(qreal points, bool bold, bool underline = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

// The account and the bet: boxed, bold, underlined, centred.
QLabel* AmountLabel(QWidget* parent, const char* name, const QString& text, QRect geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(ArialFont(14.4, true, true));
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setAutoFillBackground(true);
    return label;
}

} // namespace

frmQuintara::frmQuintara(Ports ports, QWidget* parent) : QMainWindow(parent), m_ports(ports)
{
    setObjectName(QStringLiteral("frmQuintara"));
    setWindowTitle(QStringLiteral("Quintara"));
    setWindowIcon(icons::AppIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    buildField();
    buildCardPlaces();
    buildButtons();
    buildLabels();
    buildMenus();
    buildTabOrder();

    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // Starts centred on the screen; the frame is not known yet, so the client
    // size stands in for it until start-up learns it.
    adjustSize();
    centreFrameOnScreen({});
}

void frmQuintara::centreFrameOnScreen(const QMargins& decoration)
{
    if (const QScreen* display = screen())
        frames::PlaceFrame(*this,
                           frames::CentredTopLeft(display->availableGeometry().center(),
                                                  size().grownBy(decoration)),
                           decoration);
}

frmQuintara::~frmQuintara() = default;

// The green field over the whole client area.
void frmQuintara::buildField()
{
    // The client area is a little larger than the field it holds.
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(Px(6384), Px(3276));
    setCentralWidget(client);

    picField = new QWidget(client);
    picField->setObjectName(QStringLiteral("picField"));
    // The field's own twips leave a pixel of the client bare at the right and
    // the bottom; it fills the whole client area instead.
    picField->setGeometry(QRect(QPoint(0, 0), client->size()));
    picField->setAutoFillBackground(true);
    QPalette fieldPalette = picField->palette();
    fieldPalette.setColor(QPalette::Window, kFieldGreen);
    picField->setPalette(fieldPalette);
}

// The five card places, their hold buttons and keys 1 to 5.
void frmQuintara::buildCardPlaces()
{
    // One pair of icons for every press: a new QIcon each time would be a new
    // entry in Qt's pixmap cache at every press of a hold button.
    const QIcon holdIcon = icons::HoldIcon();
    const QIcon pressedIcon(icons::kHoldPressed);
    for (int i = 0; i < 5; ++i) {
        auto* card = new CardView(picField);
        card->setObjectName(QStringLiteral("Card_%1").arg(i));
        card->setGeometry(TwipRect(240 + 1200 * i, 120, 1095, 1455));
        // A click gives a card place the focus, which it hands on to Deal; Tab never stops here.
        card->setFocusPolicy(Qt::ClickFocus);
        card->hide();
        connect(card, &CardView::mousePressed, this,
                [this, i](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint& pos) {
                    Card_MouseDown(i, button, pos);
                });
        connect(card, &CardView::focusReceived, this, [this, i] { Card_GotFocus(i); });
        Card[i] = card;

        auto* hold = new QPushButton(picField);
        hold->setObjectName(QStringLiteral("cmdHold_%1").arg(i));
        hold->setGeometry(TwipRect(240 + 1200 * i, 1680, 1095, 375));
        hold->setIcon(holdIcon);
        // The picture shows its halves' shading swapped while the button is down.
        connect(hold, &QPushButton::pressed, hold,
                [hold, pressedIcon] { hold->setIcon(pressedIcon); });
        connect(hold, &QPushButton::released, hold, [hold, holdIcon] { hold->setIcon(holdIcon); });
        hold->setAccessibleName(QStringLiteral("Turn card %1").arg(i + 1));
        hold->setAccessibleDescription(
            QStringLiteral("Turns card %1 face down to exchange it at the draw, or face up "
                           "again to keep it. Key %1 does the same.")
                .arg(i + 1));
        hold->installEventFilter(this);
        connect(hold, &QPushButton::clicked, this, [this, i] { cmdHold_Click(i); });
        cmdHold[i] = hold;

        // Keys 1 to 5 turn the cards as their hold buttons do, and only while
        // those buttons are usable.
        for (const QKeySequence& key :
             {QKeySequence(Qt::Key_1 + i), QKeySequence(Qt::KeypadModifier | (Qt::Key_1 + i))}) {
            auto* shortcut = new QShortcut(key, this);
            shortcut->setObjectName(QStringLiteral("holdKey_%1").arg(i + 1));
            shortcut->setAutoRepeat(false);
            connect(shortcut, &QShortcut::activated, this, [this, i] {
                if (cmdHold[static_cast<std::size_t>(i)]->isEnabled())
                    cmdHold_Click(i);
            });
        }
    }
}

// Deal and the three bet buttons.
void frmQuintara::buildButtons()
{
    auto makeButton = [this](const char* name, const QString& caption, QRect geometry) {
        auto* button = new QPushButton(caption, picField);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(geometry);
        return button;
    };
    cmdDeal = makeButton("cmdDeal", QStringLiteral("&Deal"), TwipRect(240, 2160, 1095, 375));
    cmdBetUp = makeButton("cmdBetUp", QStringLiteral("&Up"), TwipRect(1440, 2160, 855, 375));
    cmdBetDown = makeButton("cmdBetDown", QStringLiteral("Do&wn"), TwipRect(2400, 2160, 855, 375));
    cmdBet = makeButton("cmdBet", QStringLiteral("<- &Bet ->"), TwipRect(3360, 2160, 855, 375));
    cmdBet->setFont(ArialFont(9, true));
    auto* everyPress = new EveryPressClicks(this);
    for (QPushButton* button : {cmdDeal, cmdBetUp, cmdBetDown, cmdBet})
        button->installEventFilter(everyPress);
    connect(cmdDeal, &QPushButton::clicked, this, &frmQuintara::cmdDeal_Click);
    connect(cmdBetUp, &QPushButton::clicked, this, &frmQuintara::cmdBetUp_Click);
    connect(cmdBetDown, &QPushButton::clicked, this, &frmQuintara::cmdBetDown_Click);
    connect(cmdBet, &QPushButton::clicked, this, &frmQuintara::cmdBet_Click);
}

// The account caption and the two amount labels.
void frmQuintara::buildLabels()
{
    Label2 = new QLabel(QStringLiteral("Account:"), picField);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(TwipRect(2880, 2640, 1335, 375));
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2->setFont(ArialFont(14.4, false));
    Label2->setAutoFillBackground(true);
    QPalette captionPalette = Label2->palette();
    captionPalette.setColor(QPalette::Window, kFieldGreen);
    Label2->setPalette(captionPalette);

    lblAccount =
        AmountLabel(picField, "lblAccount", QStringLiteral("0"), TwipRect(4320, 2640, 1815, 375));
    QPalette accountPalette = lblAccount->palette();
    accountPalette.setColor(QPalette::Window, Qt::black);
    accountPalette.setColor(QPalette::WindowText, Qt::red);
    lblAccount->setPalette(accountPalette);

    lblBet =
        AmountLabel(picField, "lblBet", QStringLiteral("$ 0"), TwipRect(4320, 2160, 1815, 375));
    lblBet->setBackgroundRole(QPalette::Base);
    lblBet->setForegroundRole(QPalette::Text);
}

// Options (the card backs, Reset Score, Messages, Quit) and Help.
void frmQuintara::buildMenus()
{
    mnuOptions = menuBar()->addMenu(QStringLiteral("&Options"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    mnuCardDeck = mnuOptions->addMenu(QStringLiteral("&Card Deck"));
    mnuCardDeck->setObjectName(QStringLiteral("mnuCardDeck"));
    // One check mark among the designs, none until start-up picks the stored
    // one; selectBack() moves it. An exclusive QActionGroup would draw radio
    // bullets instead of the check mark Messages shows.
    for (int code = cards::kFirstBack; code <= cards::kLastBack; ++code) {
        const auto caption = cards::BackCaption(code);
        QAction* item = mnuCardDeck->addAction(QString::fromUtf8(caption));
        item->setObjectName(QStringLiteral("mnuCD_%1").arg(code));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, code] { mnuCD_Click(code); });
        mnuCD[code] = item;
    }
    auto addCommand = [this](QMenu* menu, const char* name, const QString& caption,
                             const QKeySequence& keys, void (frmQuintara::*handler)()) {
        QAction* item = menu->addAction(caption);
        item->setObjectName(QString::fromLatin1(name));
        item->setShortcut(keys);
        connect(item, &QAction::triggered, this, handler);
        return item;
    };
    mnuReset = addCommand(mnuOptions, "mnuReset", QStringLiteral("&Reset Score"),
                          QKeySequence(Qt::CTRL | Qt::Key_R), &frmQuintara::mnuReset_Click);
    // The handler sets the check mark itself, so the action must not toggle it first.
    mnuMessages = addCommand(mnuOptions, "mnuMessages", QStringLiteral("&Messages"),
                             QKeySequence(Qt::CTRL | Qt::Key_M), &frmQuintara::mnuMessages_Click);
    mnuMessages->setCheckable(true);
    mnuMessages->setChecked(true);
    mnuOptions->addSeparator()->setObjectName(QStringLiteral("mnuSep"));
    mnuQuit = addCommand(mnuOptions, "mnuQuit", QStringLiteral("&Quit"),
                         QKeySequence(Qt::CTRL | Qt::Key_Q), &frmQuintara::mnuQuit_Click);

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuInfo = addCommand(mnuHelp, "mnuInfo", QStringLiteral("&Info"),
                         QKeySequence(Qt::CTRL | Qt::Key_I), &frmQuintara::mnuInfo_Click);
    mnuAbout = addCommand(mnuHelp, "mnuAbout", QStringLiteral("&About"), QKeySequence(Qt::Key_F1),
                          &frmQuintara::mnuAbout_Click);
}

// Deal, the five hold buttons, Up, Down, Bet, then the field.
void frmQuintara::buildTabOrder()
{
    QWidget* previous = cmdDeal;
    for (QWidget* next :
         {static_cast<QWidget*>(cmdHold[0]), static_cast<QWidget*>(cmdHold[1]),
          static_cast<QWidget*>(cmdHold[2]), static_cast<QWidget*>(cmdHold[3]),
          static_cast<QWidget*>(cmdHold[4]), static_cast<QWidget*>(cmdBetUp),
          static_cast<QWidget*>(cmdBetDown), static_cast<QWidget*>(cmdBet), picField}) {
        setTabOrder(previous, next);
        previous = next;
    }
    picField->setFocusPolicy(Qt::TabFocus);
}

void frmQuintara::applyPhase(rules::Phase phase, Buttons buttons)
{
    const rules::PhaseRule rule = rules::RuleOf(phase);
    m_state.phase = phase;
    m_state.Ready = rule.ready;
    m_state.HandDealt = rule.handDealt;
    if (buttons == Buttons::Stay)
        return;
    // The hold buttons first, then Deal, Bet, Up, Down: a focused button that
    // goes off hands the focus on along the tab chain, and when a deal starts
    // it passes over the bet buttons still on to rest on the field.
    const QWidget* focusedBefore = focusWidget();
    for (QPushButton* hold : cmdHold)
        hold->setEnabled(rule.controls.hold);
    for (QPushButton* button : {cmdDeal, cmdBet, cmdBetUp, cmdBetDown})
        button->setEnabled(button == cmdDeal ? rule.controls.deal : rule.controls.bet);
    // A draw begun from a hold button would leave the focus on the field,
    // where Space does nothing; Deal takes it there when it can.
    if (focusedBefore != picField && focusWidget() == picField)
        FocusDeal();
}

void frmQuintara::showCards()
{
    for (std::size_t i = 0; i < Card.size(); ++i)
        Card[i]->setValue(m_state.Shown[i]);
}

void frmQuintara::openGame(const rules::Opening& opening)
{
    rules::OpenGame(m_state, opening, m_ports.random);
    checkBack();
}

void frmQuintara::showAccount()
{
    lblAccount->setText(AmountText(m_state.Account));
}

void frmQuintara::showBet()
{
    lblBet->setText(AmountText(m_state.Bet));
}

void frmQuintara::beginSession()
{
    m_state.ShowMessages = true;
    applyPhase(rules::Phase::Betting);
    // Deal is first in the tab order: Space at the start deals.
    FocusDeal();
}

bool frmQuintara::eventFilter(QObject* watched, QEvent* event)
{
    for (int i = 0; i < static_cast<int>(cmdHold.size()); ++i) {
        if (watched == cmdHold[static_cast<std::size_t>(i)])
            cmdHold_KeyEvent(i, *event);
    }
    return QMainWindow::eventFilter(watched, event);
}

QString frmQuintara::AmountText(qint32 amount)
{
    return QStringLiteral("$ ") + QString::number(amount);
}

void frmQuintara::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        emit queryUnload();
    }
    event->accept();
}
