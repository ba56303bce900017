#include "card_art.h"
#include "card_code.h"
#include "card_view.h"
#include "icons.h"

#include <QAccessible>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QPainter>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QtTest>
#include <cmath>
#include <set>

using namespace cards;

namespace {

const QSize kPlace(73, 97);

QByteArray Fingerprint(const QPixmap& pixmap)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    return QCryptographicHash::hash(QByteArrayView(image.constBits(), image.sizeInBytes()),
                                    QCryptographicHash::Sha1);
}

bool IsRed(QRgb c)
{
    return qAlpha(c) == 255 && qRed(c) > 150 && qGreen(c) < 90 && qBlue(c) < 110;
}

int CountPixels(const QImage& image, bool (*test)(QRgb))
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += test(image.pixel(x, y)) ? 1 : 0;
    return n;
}

bool IsInk(QRgb c)
{
    return qAlpha(c) == 255 && (qGray(c) < 90 || IsRed(c));
}

// Separate blobs of ink inside rect, four-connected: one per pip.
int CountBlobs(const QImage& image, const QRect& rect)
{
    std::vector<char> seenMap(static_cast<size_t>(image.width() * image.height()), 0);
    auto seen = [&](QPoint p) -> char& {
        return seenMap[static_cast<size_t>(p.y() * image.width() + p.x())];
    };
    int blobs = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (seen({x, y}) || !IsInk(image.pixel(x, y)))
                continue;
            ++blobs;
            std::vector<QPoint> stack{{x, y}};
            seen({x, y}) = 1;
            while (!stack.empty()) {
                const QPoint at = stack.back();
                stack.pop_back();
                for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const QPoint n = at + d;
                    if (rect.contains(n) && !seen(n) && IsInk(image.pixel(n))) {
                        seen(n) = 1;
                        stack.push_back(n);
                    }
                }
            }
        }
    }
    return blobs;
}

// Share of pixels, in thousandths, that differ clearly from the card turned half round. Thin
// lines rasterise a little differently upside down, so a few are allowed.
int HalfTurnMismatch(const QImage& image)
{
    const QImage turned = image.mirrored(true, true);
    int differing = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            differing += std::abs(qGray(image.pixel(x, y)) - qGray(turned.pixel(x, y))) > 48;
    return differing * 1000 / (image.width() * image.height());
}

// Share of the card inside its edge, in thousandths, that is drawn in a colour well away from
// white: what a card that failed to load lacks.
int InkShare(const QImage& image, qreal ratio)
{
    const int inset = static_cast<int>(std::ceil(3 * ratio));
    const QRect inside = image.rect().adjusted(inset, inset, -inset, -inset);
    int ink = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            ink += qAlpha(c) > 200 && 255 - std::min({qRed(c), qGreen(c), qBlue(c)}) > 64;
        }
    return ink * 1000 / (inside.width() * inside.height());
}

} // namespace

class TestCardView : public QObject
{
    Q_OBJECT

  private slots:
    void valueReadsBackUnchanged_data();
    void valueReadsBackUnchanged();
    void startsOnTheDefaultBack();
    void accessibleNameIsWhatTheCardShows_data();
    void accessibleNameIsWhatTheCardShows();
    void accessibleNameFollowsTheValue();
    void mousePressReportsButtonModifiersAndPlace_data();
    void mousePressReportsButtonModifiersAndPlace();
    void focusIsReported();
    void widgetPaintsItsValue();

    void everyCardRendersAtEveryRatio_data();
    void everyCardRendersAtEveryRatio();
    void everyCodeHasAFileOfItsOwn();
    void artFilesStayWithinWhatQtSvgDraws_data();
    void artFilesStayWithinWhatQtSvgDraws();
    void noTwoCardsLookAlike();
    void suitsHaveTheirColours_data();
    void suitsHaveTheirColours();
    void numberCardsShowTheirCountOfPips_data();
    void numberCardsShowTheirCountOfPips();
    void cornersAndCourtsReadBothWaysUp_data();
    void cornersAndCourtsReadBothWaysUp();
    void backsFillTheirBorderWithAPicture_data();
    void backsFillTheirBorderWithAPicture();
    void repeatedRequestsComeFromTheCache();
    void unknownCodesDrawNoCard();

    void iconsLoadFromResources_data();
    void iconsLoadFromResources();
    void smallAppIconIsBlackAndWhite();
    void holdPicturesShadeTheirHalves();
    void assembledIconsHaveTheirSizes();
};

void TestCardView::valueReadsBackUnchanged_data()
{
    QTest::addColumn<int>("code");
    for (int c = 1; c <= kCardCount; ++c)
        QTest::addRow("%s", CardNotation(c).c_str()) << c;
    for (int b = kFirstBack; b <= kLastBack; ++b)
        QTest::addRow("back %d", b) << b;
    // Numbers the game never sends still come back as they went in.
    for (int odd : {0, 53, 69, -1, 32767, -32768, 1 << 20})
        QTest::addRow("odd %d", odd) << odd;
}

void TestCardView::valueReadsBackUnchanged()
{
    QFETCH(int, code);
    CardView view;
    view.setValue(code);
    QCOMPARE(view.value(), code);
    QCOMPARE(view.property("value").toInt(), code);
}

void TestCardView::startsOnTheDefaultBack()
{
    CardView view;
    QCOMPARE(view.value(), kDefaultBack);
    QCOMPARE(view.accessibleName(), QStringLiteral("Face down"));
}

void TestCardView::accessibleNameIsWhatTheCardShows_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("queen of hearts") << MakeCard(2, 12) << "Queen of hearts";
    QTest::newRow("ace of clubs") << MakeCard(0, 1) << "Ace of clubs";
    QTest::newRow("ten of diamonds") << MakeCard(1, 10) << "10 of diamonds";
    QTest::newRow("king of spades") << MakeCard(3, 13) << "King of spades";
    QTest::newRow("first back") << kFirstBack << "Face down";
    QTest::newRow("last back") << kLastBack << "Face down";
}

void TestCardView::accessibleNameIsWhatTheCardShows()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    CardView view;
    view.setValue(code);
    QCOMPARE(view.accessibleName(), name);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&view);
    QVERIFY(iface);
    QCOMPARE(iface->text(QAccessible::Name), name);
}

void TestCardView::accessibleNameFollowsTheValue()
{
    CardView view;
    view.setValue(MakeCard(2, 12));
    view.setValue(kDefaultBack);
    QCOMPARE(view.accessibleName(), QStringLiteral("Face down"));
    view.setValue(MakeCard(3, 1));
    QCOMPARE(view.accessibleName(), QStringLiteral("Ace of spades"));
}

void TestCardView::mousePressReportsButtonModifiersAndPlace_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QPoint>("pos");
    QTest::newRow("left") << Qt::LeftButton << Qt::KeyboardModifiers() << QPoint(10, 20);
    QTest::newRow("right") << Qt::RightButton << Qt::KeyboardModifiers() << QPoint(60, 90);
    QTest::newRow("shift left") << Qt::LeftButton << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                << QPoint(36, 48);
    QTest::newRow("middle ctrl") << Qt::MiddleButton << Qt::KeyboardModifiers(Qt::ControlModifier)
                                 << QPoint(1, 1);
}

void TestCardView::mousePressReportsButtonModifiersAndPlace()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QPoint, pos);
    QWidget window;
    auto* view = new CardView(&window);
    view->setGeometry(QRect(QPoint(30, 40), kPlace));
    window.resize(200, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy spy(view, &CardView::mousePressed);
    QTest::mousePress(view, button, modifiers, pos);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy[0][0].value<Qt::MouseButton>(), button);
    QCOMPARE(spy[0][1].value<Qt::KeyboardModifiers>(), modifiers);
    QCOMPARE(spy[0][2].toPoint(), view->mapToGlobal(pos));
    QTest::mouseRelease(view, button, modifiers, pos);
    QCOMPARE(spy.count(), 1);
}

void TestCardView::focusIsReported()
{
    QWidget window;
    auto* other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    auto* view = new CardView(&window);
    view->setGeometry(QRect(QPoint(80, 0), kPlace));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QSignalSpy spy(view, &CardView::focusReceived);
    view->setFocus();
    QTRY_COMPARE(spy.count(), 1);
    other->setFocus();
    QCOMPARE(spy.count(), 1);
}

void TestCardView::widgetPaintsItsValue()
{
    CardView view;
    view.resize(kPlace);
    view.setValue(MakeCard(2, 12));
    const QImage queen = view.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    view.setValue(kFirstBack);
    const QImage back = view.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    QVERIFY(queen != back);
    const QImage expected =
        CardPixmap(kFirstBack, kPlace, 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    // The centre of the card is opaque, so the grab must match the art there exactly.
    QCOMPARE(back.pixel(36, 48), expected.pixel(36, 48));
    QCOMPARE(back.pixel(20, 70), expected.pixel(20, 70));
}

void TestCardView::everyCardRendersAtEveryRatio_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<qreal>("ratio");
    for (qreal ratio : {1.0, 1.5, 2.0}) {
        for (int c = 1; c <= kCardCount; ++c)
            QTest::addRow("%s @%.1f", CardNotation(c).c_str(), ratio) << c << ratio;
        for (int b = kFirstBack; b <= kLastBack; ++b)
            QTest::addRow("back %d @%.1f", b, ratio) << b << ratio;
    }
}

void TestCardView::everyCardRendersAtEveryRatio()
{
    QFETCH(int, code);
    QFETCH(qreal, ratio);
    const QPixmap pixmap = CardPixmap(code, kPlace, ratio);
    QVERIFY(!pixmap.isNull());
    const QSize pixels(static_cast<int>(std::ceil(73 * ratio)),
                       static_cast<int>(std::ceil(97 * ratio)));
    QCOMPARE(pixmap.size(), pixels);
    QCOMPARE(pixmap.devicePixelRatio(), ratio);
    QCOMPARE(pixmap.deviceIndependentSize().toSize(), kPlace);
    const QImage image = pixmap.toImage();
    // Opaque card, transparent rounded corners so the green field shows there.
    QCOMPARE(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 255);
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(image.width() - 1, image.height() - 1)), 0);
    // The white border runs all round, faces and backs alike.
    const QRgb edge = image.pixel(image.width() / 2, static_cast<int>(2 * ratio));
    QVERIFY2(qRed(edge) > 240 && qGreen(edge) > 240 && qBlue(edge) > 240,
             qPrintable(QColor(edge).name()));
    // And inside the edge there is a picture, not a blank card.
    const int ink = InkShare(image, ratio);
    QVERIFY2(ink >= 20, qPrintable(QString::number(ink)));
}

void TestCardView::everyCodeHasAFileOfItsOwn()
{
    // Every face, every back and the empty place have their own file, and no file lies unused.
    std::set<QString> named;
    for (int code = 0; code <= kLastBack; ++code) {
        const QString file = QString::fromStdString(CardArtFile(code));
        QVERIFY2(QFile::exists(QStringLiteral(":/cards/") + file), qPrintable(file));
        if (code != 53)
            QVERIFY2(named.insert(file).second, qPrintable(file));
    }
    QCOMPARE(named.size(), size_t(kCardCount + kBackCount + 1));
    QCOMPARE(QString::fromStdString(CardArtFile(53)), QStringLiteral("no_card.svg"));
    QCOMPARE(QString::fromStdString(CardArtFile(kLastBack + 1)), QStringLiteral("no_card.svg"));
    std::set<QString> present;
    for (QDirIterator it(QStringLiteral(":/cards")); it.hasNext();)
        present.insert(QFileInfo(it.next()).fileName());
    QCOMPARE(present, named);
}

void TestCardView::artFilesStayWithinWhatQtSvgDraws_data()
{
    QTest::addColumn<QString>("path");
    for (QDirIterator it(QStringLiteral(":/cards")); it.hasNext();) {
        const QString path = it.next();
        QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
    }
}

void TestCardView::artFilesStayWithinWhatQtSvgDraws()
{
    QFETCH(QString, path);
    // QtSvg warns about whatever it does not draw: any warning is a part of the card missing.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    QSvgRenderer renderer(path);
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.defaultSize(), kPlace);
    QCOMPARE(renderer.viewBoxF(), QRectF(0, 0, 73, 97));
    for (const qreal ratio : {1.0, 2.0}) {
        QImage image(kPlace * ratio, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
    }

    // SVG Tiny shapes only, letters included (no text, so no font), and nothing empty.
    static const QSet<QString> kShapes = {QStringLiteral("path"),    QStringLiteral("circle"),
                                          QStringLiteral("ellipse"), QStringLiteral("rect"),
                                          QStringLiteral("line"),    QStringLiteral("polyline"),
                                          QStringLiteral("polygon")};
    static const QSet<QString> kOthers = {
        QStringLiteral("svg"), QStringLiteral("title"),          QStringLiteral("defs"),
        QStringLiteral("g"),   QStringLiteral("linearGradient"), QStringLiteral("radialGradient"),
        QStringLiteral("stop")};
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::vector<int> children; // per open element: how many elements it holds
    std::set<QString> ids;
    int shapes = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QString name = xml.name().toString();
            QVERIFY2(kShapes.contains(name) || kOthers.contains(name), qPrintable(name));
            if (!children.empty())
                ++children.back();
            children.push_back(0);
            const auto attributes = xml.attributes();
            if (attributes.hasAttribute(QStringLiteral("id")))
                QVERIFY2(ids.insert(attributes.value(QStringLiteral("id")).toString()).second,
                         qPrintable(attributes.value(QStringLiteral("id")).toString()));
            if (!kShapes.contains(name))
                continue;
            ++shapes;
            // A shape draws something: path data or points, or a positive size.
            for (const char* key : {"d", "points"})
                if (attributes.hasAttribute(QLatin1String(key)))
                    QVERIFY2(!attributes.value(QLatin1String(key)).trimmed().isEmpty(),
                             qPrintable(name));
            for (const char* key : {"r", "rx", "ry", "width", "height"})
                if (attributes.hasAttribute(QLatin1String(key)))
                    QVERIFY2(attributes.value(QLatin1String(key)).toDouble() > 0, qPrintable(name));
        } else if (xml.isEndElement()) {
            const QString name = xml.name().toString();
            // Groups and gradients hold something.
            const bool container = name == QStringLiteral("g") || name == QStringLiteral("defs") ||
                                   name.endsWith(QStringLiteral("Gradient"));
            QVERIFY2(!container || children.back() > 0,
                     qPrintable(QStringLiteral("empty <%1>").arg(name)));
            children.pop_back();
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY(shapes > 0);
}

void TestCardView::noTwoCardsLookAlike()
{
    for (qreal ratio : {1.0, 2.0}) {
        std::set<QByteArray> seen;
        for (int c = 1; c <= kLastBack; ++c) {
            if (c == 53)
                continue;
            const bool fresh = seen.insert(Fingerprint(CardPixmap(c, kPlace, ratio))).second;
            QVERIFY2(
                fresh,
                qPrintable(QStringLiteral("code %1 at %2 repeats another card").arg(c).arg(ratio)));
        }
    }
}

void TestCardView::suitsHaveTheirColours_data()
{
    QTest::addColumn<int>("suit");
    QTest::addColumn<bool>("red");
    QTest::newRow("clubs") << 0 << false;
    QTest::newRow("diamonds") << 1 << true;
    QTest::newRow("hearts") << 2 << true;
    QTest::newRow("spades") << 3 << false;
}

void TestCardView::suitsHaveTheirColours()
{
    QFETCH(int, suit);
    QFETCH(bool, red);
    // Number cards carry only their suit's ink, so they show whether a suit went astray.
    for (int rank = 1; rank <= 10; ++rank) {
        const QImage image = CardPixmap(MakeCard(suit, rank), kPlace, 2.0).toImage();
        const int redPixels = CountPixels(image, IsRed);
        if (red)
            QVERIFY2(redPixels > 100, qPrintable(QString::number(rank)));
        else
            QVERIFY2(redPixels == 0, qPrintable(QString::number(rank)));
    }
}

void TestCardView::numberCardsShowTheirCountOfPips_data()
{
    QTest::addColumn<int>("code");
    // The ace of spades is left out: its ornament rings are ink too.
    for (int suit = 0; suit < 4; ++suit)
        for (int rank = suit == 3 ? 2 : 1; rank <= 10; ++rank)
            QTest::addRow("%s", CardNotation(MakeCard(suit, rank)).c_str()) << MakeCard(suit, rank);
}

void TestCardView::numberCardsShowTheirCountOfPips()
{
    QFETCH(int, code);
    const QImage image =
        CardPixmap(code, kPlace, 2.0).toImage().convertToFormat(QImage::Format_ARGB32);
    // Between the two corner indices: the pip field only.
    const QRect field(2 * 14, 2 * 6, 2 * 45, 2 * 85);
    QCOMPARE(CountBlobs(image, field), CardRank(code));
}

void TestCardView::cornersAndCourtsReadBothWaysUp_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("wholeCard");
    for (int suit = 0; suit < 4; ++suit) {
        for (int rank : {1, 7, 10, 11, 12, 13})
            QTest::addRow("%s", CardNotation(MakeCard(suit, rank)).c_str())
                << MakeCard(suit, rank) << (rank >= 11);
    }
}

void TestCardView::cornersAndCourtsReadBothWaysUp()
{
    QFETCH(int, code);
    QFETCH(bool, wholeCard);
    const QImage image =
        CardPixmap(code, kPlace, 2.0).toImage().convertToFormat(QImage::Format_ARGB32);
    // The index in the bottom-right corner is the top-left one turned round.
    const QRect corner(0, 0, 2 * 14, 2 * 26);
    const QRect opposite(image.width() - corner.width(), image.height() - corner.height(),
                         corner.width(), corner.height());
    const QImage a = image.copy(corner).mirrored(true, true);
    const QImage b = image.copy(opposite);
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            worst = std::max(worst, std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))));
    QVERIFY2(worst <= 8, qPrintable(QString::number(worst)));
    // Court cards are double-headed: the whole card reads the same upside down.
    if (wholeCard)
        QVERIFY2(HalfTurnMismatch(image) <= 10,
                 qPrintable(QString::number(HalfTurnMismatch(image))));
}

void TestCardView::backsFillTheirBorderWithAPicture_data()
{
    QTest::addColumn<int>("code");
    for (int b = kFirstBack; b <= kLastBack; ++b)
        QTest::addRow("%s", BackCaption(b).data()) << b;
}

void TestCardView::backsFillTheirBorderWithAPicture()
{
    QFETCH(int, code);
    const QImage image =
        CardPixmap(code, kPlace, 2.0).toImage().convertToFormat(QImage::Format_ARGB32);
    auto white = [](QRgb c) { return qRed(c) > 248 && qGreen(c) > 248 && qBlue(c) > 248; };
    // A white margin all round...
    for (int x = 2 * 6; x < image.width() - 2 * 6; x += 4) {
        QVERIFY(white(image.pixel(x, 4)));
        QVERIFY(white(image.pixel(x, image.height() - 5)));
    }
    for (int y = 2 * 6; y < image.height() - 2 * 6; y += 4) {
        QVERIFY(white(image.pixel(4, y)));
        QVERIFY(white(image.pixel(image.width() - 5, y)));
    }
    // ...around a picture that is not white.
    int whitePixels = 0, total = 0;
    for (int y = 2 * 6; y < image.height() - 2 * 6; ++y)
        for (int x = 2 * 6; x < image.width() - 2 * 6; ++x, ++total)
            whitePixels += white(image.pixel(x, y)) ? 1 : 0;
    QVERIFY2(whitePixels * 10 < total,
             qPrintable(QStringLiteral("%1 of %2").arg(whitePixels).arg(total)));
}

void TestCardView::repeatedRequestsComeFromTheCache()
{
    ClearCardArtCache();
    QCOMPARE(CardArtCacheSize(), 0);
    const QPixmap first = CardPixmap(MakeCard(1, 7), kPlace, 1.5);
    const QPixmap again = CardPixmap(MakeCard(1, 7), kPlace, 1.5);
    QCOMPARE(again.cacheKey(), first.cacheKey());
    QCOMPARE(CardArtCacheSize(), 1);
    // Another ratio or size is another picture, not a stretched copy.
    const QPixmap sharper = CardPixmap(MakeCard(1, 7), kPlace, 2.0);
    const QPixmap bigger = CardPixmap(MakeCard(1, 7), kPlace * 2, 1.5);
    QVERIFY(sharper.cacheKey() != first.cacheKey());
    QCOMPARE(sharper.size(), QSize(146, 194));
    QCOMPARE(bigger.size(), QSize(219, 291));
    QCOMPARE(CardArtCacheSize(), 3);
    // The cache keeps to a budget: ten large pictures of 1.8 MB each do not all stay, the
    // latest does.
    QPixmap latest;
    for (int i = 0; i < 10; ++i)
        latest = CardPixmap(MakeCard(1, 7), kPlace * 2 + QSize(i, 0), 4.0);
    QVERIFY2(CardArtCacheSize() < 10, qPrintable(QString::number(CardArtCacheSize())));
    QCOMPARE(CardPixmap(MakeCard(1, 7), kPlace * 2 + QSize(9, 0), 4.0).cacheKey(),
             latest.cacheKey());
    ClearCardArtCache();
    QCOMPARE(CardArtCacheSize(), 0);
}

void TestCardView::unknownCodesDrawNoCard()
{
    const QImage image = CardPixmap(53, kPlace, 1.0).toImage();
    QVERIFY(!image.isNull());
    QCOMPARE(qAlpha(image.pixel(36, 48)), 0);
    QVERIFY(CardPixmap(1, QSize(0, 97), 1.0).isNull());
    QVERIFY(CardPixmap(1, kPlace, 0.0).isNull());
}

void TestCardView::iconsLoadFromResources_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("size");
    for (int s : {16, 32, 48, 64, 128, 256})
        QTest::addRow("app %d", s) << QStringLiteral(":/icons/app-%1.png").arg(s) << s;
    QTest::newRow("hold") << icons::kHold << 16;
    QTest::newRow("hold pressed") << icons::kHoldPressed << 16;
    QTest::newRow("hold disabled") << icons::kHoldDisabled << 16;
    QTest::newRow("info 16") << icons::kInfo16 << 16;
    QTest::newRow("info 32") << icons::kInfo32 << 32;
}

void TestCardView::iconsLoadFromResources()
{
    QFETCH(QString, path);
    QFETCH(int, size);
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), QSize(size, size));
    QVERIFY(image.hasAlphaChannel());
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
}

void TestCardView::smallAppIconIsBlackAndWhite()
{
    for (const char* path : {":/icons/app-32.png", ":/icons/app-16.png"}) {
        const QImage image =
            QImage(QString::fromLatin1(path)).convertToFormat(QImage::Format_ARGB32);
        int black = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                if (qAlpha(c) == 0)
                    continue;
                QCOMPARE(qAlpha(c), 255);
                const bool bw = c == qRgb(0, 0, 0) || c == qRgb(255, 255, 255);
                QVERIFY2(bw, qPrintable(QStringLiteral("%1 at %2,%3").arg(path).arg(x).arg(y)));
                black += c == qRgb(0, 0, 0) ? 1 : 0;
            }
        }
        QVERIFY(black > image.width() * 2);
    }
    QSvgRenderer svg(icons::kAppSvg);
    QVERIFY(svg.isValid());
    QCOMPARE(svg.defaultSize(), QSize(256, 256));
}

void TestCardView::holdPicturesShadeTheirHalves()
{
    // Sample each half of the triangle near its base: x 5 and x 10, row 12.
    auto lightness = [](const QImage& image, int x) {
        return QColor(image.pixel(x, 12)).lightness();
    };
    const QImage normal(icons::kHold);
    const QImage pressed(icons::kHoldPressed);
    const QImage disabled(icons::kHoldDisabled);
    QVERIFY(lightness(normal, 5) > lightness(normal, 10));
    QVERIFY(lightness(pressed, 5) < lightness(pressed, 10));
    for (const QImage& blue : {normal, pressed}) {
        const QColor c = blue.pixelColor(5, 12);
        QVERIFY(c.blue() > c.red() + 60 && c.blue() > c.green());
    }
    for (int x : {5, 10}) {
        const QColor c = disabled.pixelColor(x, 12);
        QCOMPARE(c.red(), c.blue());
        QCOMPARE(c.green(), c.blue());
    }
    // The apex points up: the top row is empty, the base row is filled across.
    for (int x = 0; x < 16; ++x)
        QCOMPARE(qAlpha(normal.pixel(x, 0)), 0);
    QCOMPARE(qAlpha(normal.pixel(8, 13)), 255);
    QCOMPARE(qAlpha(normal.pixel(3, 13)), 255);
}

void TestCardView::assembledIconsHaveTheirSizes()
{
    const QIcon app = icons::AppIcon();
    QCOMPARE(app.availableSizes().size(), 6);
    QCOMPARE(app.pixmap(32, 32).size(), QSize(32, 32));
    QVERIFY(!icons::InfoIcon().pixmap(16, 16).isNull());
    const QIcon hold = icons::HoldIcon();
    const QImage off = hold.pixmap(16, 16, QIcon::Disabled).toImage();
    QCOMPARE(off.pixelColor(10, 12), QImage(icons::kHoldDisabled).pixelColor(10, 12));
}

QTEST_MAIN(TestCardView)
#include "test_card_view.moc"
