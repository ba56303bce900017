#pragma once

// Stand-ins for the table's ports: they record what the table asks of the
// outside world and let a test act in the middle of a pause or a box.

#include "deck.h"
#include "main_window.h"
#include "random.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

struct Box
{
    QString prompt;
    BoxStyle style;
    QString title;
};

// Host and sound share one event list, so tests see the order of boxes,
// pauses and sounds.
class FakeHost final : public Host
{
  public:
    explicit FakeHost(QStringList& events) : log(events) {}
    void messageBox(const QString& prompt, BoxStyle style, const QString& title) override
    {
        boxes.push_back({prompt, style, title});
        log << QStringLiteral("box ") + title;
        if (onBox)
            onBox();
    }
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override
    {
        inputs.push_back({prompt, title, defaultText});
        if (replies.empty())
            return {};
        const QString reply = replies.front();
        replies.pop_front();
        return reply;
    }
    void beep() override { ++beeps; }
    void pause() override
    {
        ++pauses;
        log << QStringLiteral("pause");
        if (onPause)
            onPause();
    }

    struct Input
    {
        QString prompt, title, defaultText;
    };
    std::vector<Box> boxes;
    std::vector<Input> inputs;
    std::deque<QString> replies;
    int beeps = 0;
    int pauses = 0;
    QStringList& log;
    std::function<void()> onPause;
    std::function<void()> onBox;
};

class FakeSound final : public SoundPlayer
{
  public:
    explicit FakeSound(QStringList& events) : log(events) {}
    void play(const QString& name) override
    {
        played << name;
        log << QStringLiteral("play ") + name;
    }
    void stop() override
    {
        ++stops;
        log << QStringLiteral("stop");
    }
    bool devicePresent() const override { return true; }

    QStringList played;
    QStringList& log;
    int stops = 0;
};

// Plays back queued values, then 0.0 for ever. A shuffle fed only zeros
// leaves a deck in its order, so an empty queue deals 1, 2, 3, ...
class ScriptedRandom final : public cards::Random
{
  public:
    float next() override
    {
        if (values.empty())
            return 0.0f;
        const float v = values.front();
        values.pop_front();
        return v;
    }
    void reseed() override {}

    // Queues the 104 values of one shuffle of a fresh deck whose top cards are
    // `top`, in that order; the rest of the deck follows in some order.
    void stackDeck(const cards::CardString& top)
    {
        const int n = cards::kCardCount;
        cards::CardString deck(n);
        for (int i = 0; i < n; ++i)
            deck[i] = i + 1;
        std::vector<std::pair<int, int>> cuts;
        auto cut = [&](int a, int b) {
            cards::TripleCut(deck, a, b);
            cuts.emplace_back(a, b);
        };
        // Build the top from its last card up: cut (p - 1, p) puts the card at
        // place p just ahead of the cards above it, and a rotation lifts both on top.
        for (auto it = top.rbegin(); it != top.rend(); ++it) {
            if (std::count(top.begin(), top.end(), *it) != 1)
                qFatal("stackDeck: card %d wanted twice", *it);
            const int p =
                1 + static_cast<int>(std::find(deck.begin(), deck.end(), *it) - deck.begin());
            cut(p - 1, p);
            cut(n - p, n);
        }
        cuts.resize(n, {0, 0});
        for (auto [a, b] : cuts) {
            values.push_back(valueFor(a));
            values.push_back(valueFor(b));
        }
    }

    std::deque<float> values;

  private:
    static float valueFor(int k)
    {
        // r x 52 must round to k; r stays below 1 even for k = 52.
        return k == 0 ? 0.0f : (static_cast<float>(k) - 0.25f) / cards::kCardCount;
    }
};

// The table as start-up leaves it, without the settings store.
struct Table
{
    QStringList events;
    FakeHost host{events};
    FakeSound sound{events};
    ScriptedRandom random;
    // On the heap so that a test can destroy the window in the middle of a hand.
    std::unique_ptr<frmQuintara> holder =
        std::make_unique<frmQuintara>(frmQuintara::Ports{host, sound, random});
    frmQuintara& window = *holder;

    explicit Table(qint32 account = 100)
    {
        GameState& s = window.state();
        s.Ready = true;
        s.Account = account;
        s.CardBack = cards::kDefaultBack;
        s.ShowMessages = true;
        window.lblAccount->setText(frmQuintara::AmountText(account));
        window.mnuCD[s.CardBack]->setChecked(true);
        for (auto* hold : window.cmdHold)
            hold->setEnabled(false);
    }
};
