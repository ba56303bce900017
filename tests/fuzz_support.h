#pragma once

// Seeds, sizes and number texts for the fuzz and soak programs.
//
// Every program prints its seed; QUINTARA_SEED replays a run exactly. Sizes
// come from the environment so that script/test stays quick and script/soak
// can run the full counts.

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QtGlobal>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>

namespace fuzz {

// Printable in a failure message, whatever the text holds.
inline QString Quoted(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text.left(120)) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f && c != QLatin1Char('\\'))
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    if (text.size() > 120)
        out += QStringLiteral("...(%1 chars)").arg(text.size());
    return out + QLatin1Char('"');
}

inline quint64 Seed()
{
    bool ok = false;
    const quint64 given = qEnvironmentVariable("QUINTARA_SEED").toULongLong(&ok);
    if (ok)
        return given;
    return static_cast<quint64>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
           std::random_device{}();
}

inline int Count(const char* variable, int fallback)
{
    bool ok = false;
    const int given = qEnvironmentVariableIntValue(variable, &ok);
    return ok && given >= 0 ? given : fallback;
}

class Dice
{
  public:
    explicit Dice(quint64 seed) : m_engine(seed) {}

    // Uniform in [low, high].
    qint64 range(qint64 low, qint64 high)
    {
        return std::uniform_int_distribution<qint64>(low, high)(m_engine);
    }
    int below(int n) { return static_cast<int>(range(0, n - 1)); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_engine); }
    float unit() { return std::uniform_real_distribution<float>(0.0f, 1.0f)(m_engine); }
    template <typename T, std::size_t N> const T& pick(const T (&items)[N])
    {
        return items[below(static_cast<int>(N))];
    }
    std::mt19937_64& engine() { return m_engine; }

  private:
    std::mt19937_64 m_engine;
};

// The rule the game promises for typed and stored amounts, written out again
// on its own: the text as the locale reads it, else as plain C-locale digits
// with blanks around; then the nearest whole number, halves to the even one;
// nothing when that is not a finite number or does not fit `bits` signed bits.
inline std::optional<qint64> WholeOf(double value, int bits)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double below = std::floor(value);
    const double part = value - below; // exact while the value has a fraction at all
    double whole = below;
    if (part > 0.5 || (part == 0.5 && std::fmod(below, 2.0) != 0.0))
        whole = below + 1.0;
    const double limit = std::ldexp(1.0, bits - 1);
    if (whole < -limit || whole > limit - 1.0)
        return std::nullopt;
    return static_cast<qint64>(whole);
}

inline std::optional<qint64> RuleWhole(const QString& text, const QLocale& locale, int bits)
{
    bool ok = false;
    double value = locale.toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return WholeOf(value, bits);
}

// A text to feed the game, and what the text means when the way it was made
// tells: a number of known value, certainly no number, or "ask the rule".
struct NumberText
{
    enum class Meaning
    {
        Value,
        NoNumber,
        AskTheRule
    };
    QString text;
    Meaning meaning = Meaning::AskTheRule;
    double value = 0; // exact: whole numbers below 2^53, halves and quarters

    std::optional<qint64> expected(const QLocale& locale, int bits) const
    {
        switch (meaning) {
        case Meaning::Value:
            return WholeOf(value, bits);
        case Meaning::NoNumber:
            return std::nullopt;
        case Meaning::AskTheRule:
            break;
        }
        return RuleWhole(text, locale, bits);
    }
};

// Makes texts of every kind a player or a hand-edited settings file may hold.
// `centre` and `spread` say where the whole numbers cluster (the card backs
// around 54..68, bets around the account). Values are known only where the
// text reads the same in every locale or is written in the locale's own form.
class NumberTexts
{
  public:
    NumberTexts(Dice& dice, const QLocale& locale) : m_dice(dice), m_locale(locale) {}

    NumberText next(qint64 centre, qint64 spread)
    {
        switch (m_dice.below(13)) {
        case 0:
        case 1:
            return plainWhole(interesting(centre, spread));
        case 2:
            return fraction(interesting(centre, spread));
        case 3:
            return exponent(interesting(centre, spread));
        case 4:
            return localeForm(interesting(centre, spread));
        case 5:
            return hugeWhole();
        case 6:
            return noNumber();
        case 7:
            return unknown(randomFrom(QStringLiteral("0123456789+-.,eE \t"), 1 + m_dice.below(12)));
        case 8:
            return unknown(mutated(plainWhole(interesting(centre, spread)).text));
        case 9:
            return unknown(foreignText());
        case 10:
            return unknown(QString::fromLatin1(randomBytes(m_dice.below(40))));
        case 11:
            return unknown(QString::fromUtf8(randomBytes(m_dice.below(40))));
        default:
            return unknown(longText());
        }
    }

  private:
    static NumberText known(QString text, double value)
    {
        return {std::move(text), NumberText::Meaning::Value, value};
    }
    static NumberText unknown(QString text)
    {
        return {std::move(text), NumberText::Meaning::AskTheRule, 0};
    }

    // Near the centre, near the 16- and 32-bit limits, zero, or anywhere.
    qint64 interesting(qint64 centre, qint64 spread)
    {
        const qint64 i16 = 32768;
        const qint64 i32 = qint64(1) << 31;
        const qint64 edges[] = {0,        1,        -1,      i16 - 1,    i16,
                                -i16,     -i16 - 1, i32 - 1, i32,        -i32,
                                -i32 - 1, 100000,   100001,  65535 + 54, 65536 + 63};
        switch (m_dice.below(4)) {
        case 0:
        case 1:
            return centre + m_dice.range(-spread, spread);
        case 2:
            return m_dice.pick(edges) + m_dice.range(-2, 2);
        default:
            return m_dice.range(-(qint64(1) << 40), qint64(1) << 40) >> m_dice.below(40);
        }
    }

    QString blanks()
    {
        static const QString kinds[] = {QString(), QStringLiteral(" "), QStringLiteral("  "),
                                        QStringLiteral("\t")};
        return m_dice.chance(0.7) ? QString() : m_dice.pick(kinds);
    }

    QString digits(qint64 magnitude)
    {
        QString text = QString::number(magnitude);
        if (m_dice.chance(0.15))
            text.prepend(QString(m_dice.range(1, 3), QLatin1Char('0')));
        return text;
    }

    QString signOf(qint64 n)
    {
        if (n < 0)
            return QStringLiteral("-");
        return m_dice.chance(0.2) ? QStringLiteral("+") : QString();
    }

    NumberText plainWhole(qint64 n)
    {
        const qint64 magnitude = n < 0 ? -n : n;
        return known(blanks() + signOf(n) + digits(magnitude) + blanks(), static_cast<double>(n));
    }

    // n plus a half, a quarter, three quarters or nothing, with the locale's
    // decimal point; ".5" read in any locale is exact, so the rounding shows.
    NumberText fraction(qint64 n)
    {
        static const char* const parts[] = {"5", "25", "75", "0", "50", "2500"};
        static const double values[] = {0.5, 0.25, 0.75, 0.0, 0.5, 0.25};
        const int k = m_dice.below(6);
        const qint64 magnitude = n < 0 ? -n : n;
        if (magnitude >= (qint64(1) << 50))
            return plainWhole(n);
        const double value = static_cast<double>(magnitude) + values[k];
        return known(signOf(n) + digits(magnitude) + m_locale.decimalPoint() +
                         QLatin1String(parts[k]),
                     n < 0 ? -value : value);
    }

    // Mantissa and exponent chosen so that the value is exact.
    NumberText exponent(qint64 n)
    {
        const qint64 magnitude = n < 0 ? -n : n;
        if (magnitude >= (qint64(1) << 50))
            return plainWhole(n);
        QString e = m_dice.chance(0.5) ? QStringLiteral("e") : QStringLiteral("E");
        const int shift = m_dice.below(3);
        // magnitude x 10^shift written as magnitude e+shift, or the half
        // (magnitude x 10 + 5) e-1.
        if (m_dice.chance(0.5)) {
            const double value = static_cast<double>(magnitude) * std::pow(10.0, shift);
            if (value >= std::ldexp(1.0, 52))
                return plainWhole(n);
            const QString exp =
                (m_dice.chance(0.3) ? QStringLiteral("+") : QString()) + QString::number(shift);
            return known(signOf(n) + QString::number(magnitude) + e + exp, n < 0 ? -value : value);
        }
        const double value = static_cast<double>(magnitude) + 0.5;
        return known(signOf(n) + QString::number(magnitude * 10 + 5) + e + QStringLiteral("-1"),
                     n < 0 ? -value : value);
    }

    // As the locale writes it, group separators and all. Qt 6.4 cannot read
    // back some locales' own negative numbers (Arabic puts a letter mark before
    // the minus); those are left to the rule.
    NumberText localeForm(qint64 n)
    {
        if (n >= (qint64(1) << 50) || n <= -(qint64(1) << 50))
            return plainWhole(n);
        double value = static_cast<double>(n);
        QString text = m_locale.toString(n);
        if (m_dice.chance(0.5)) {
            value += n < 0 ? -0.5 : 0.5;
            text = m_locale.toString(value, 'f', 1);
        }
        bool readable = false;
        m_locale.toDouble(text, &readable);
        return readable ? known(text, value) : unknown(text);
    }

    NumberText hugeWhole()
    {
        QString text = QString::number(m_dice.range(1, 9));
        const int length = 10 + m_dice.below(300);
        for (int i = 0; i < length; ++i)
            text += QChar(u'0' + m_dice.below(10));
        const bool negative = m_dice.chance(0.5);
        // Far beyond 32 bits either way; only the sign and size matter.
        return known((negative ? QStringLiteral("-") : QString()) + text,
                     negative ? -1e300 : 1e300);
    }

    NumberText noNumber()
    {
        static const char* const texts[] = {
            "",       " ",    "\t",   "abc",  "12abc",     "abc12", "--1",      "+-1",
            "1e",     "e3",   "0x10", "inf",  "-inf",      "nan",   "Infinity", "1e400",
            "-1e400", "1..0", "..",   ".",    "+",         "-",     "$100",     "100$",
            "1/2",    "one",  "1 2",  "1e5e", "twelve 12", "1-",    "--",       "0b101"};
        return {QString::fromLatin1(m_dice.pick(texts)), NumberText::Meaning::NoNumber, 0};
    }

    QString randomFrom(const QString& alphabet, int length)
    {
        QString text;
        for (int i = 0; i < length; ++i)
            text += alphabet.at(m_dice.below(static_cast<int>(alphabet.size())));
        return text;
    }

    QString mutated(QString text)
    {
        static const QString inserts = QStringLiteral("0123456789+-.,eE x\u00a0\u202f'_");
        const int edits = 1 + m_dice.below(3);
        for (int i = 0; i < edits; ++i) {
            const int at = m_dice.below(static_cast<int>(text.size()) + 1);
            switch (m_dice.below(3)) {
            case 0:
                text.insert(at, inserts.at(m_dice.below(static_cast<int>(inserts.size()))));
                break;
            case 1:
                if (at < text.size())
                    text.remove(at, 1);
                break;
            default:
                if (at < text.size())
                    text[at] = inserts.at(m_dice.below(static_cast<int>(inserts.size())));
                break;
            }
        }
        return text;
    }

    // Digits and signs of other scripts, separators, marks, emoji, controls.
    QString foreignText()
    {
        static const char32_t points[] = {
            U'\u0663', U'\u0665', U'\u06f5',     U'\u0967',     U'\uff15', U'\uff0d', U'\u2212',
            U'\u00a0', U'\u202f', U'\u2009',     U'\u066b',     U'\u066c', U'\u00b7', U'\u2019',
            U'\u00e9', U'\u00df', U'\u4e94',     U'\u0301',     U'\u200b', U'\u200e', U'\u202e',
            U'\ufeff', U'\ufffd', U'\U0001f0a1', U'\U0001f4b0', U'\u0000', U'\u0007', U'\u001b',
            U'5',      U'0',      U'-',          U'.',          U',',      U'e'};
        QString text;
        const int length = 1 + m_dice.below(8);
        for (int i = 0; i < length; ++i) {
            const char32_t c = m_dice.pick(points);
            text += QString::fromUcs4(&c, 1);
        }
        return text;
    }

    QByteArray randomBytes(int length)
    {
        QByteArray bytes(length, '\0');
        for (char& b : bytes)
            b = static_cast<char>(m_dice.below(256));
        return bytes;
    }

    QString longText()
    {
        const int length = 1000 + m_dice.below(20000);
        if (m_dice.chance(0.5))
            return QString(length, QLatin1Char('0')) + QStringLiteral("7");
        return randomFrom(QStringLiteral("0123456789"), length);
    }

    Dice& m_dice;
    QLocale m_locale;
};

} // namespace fuzz
