// LocaleFacts: locale settings from QLocale, with a table to Windows locale identifiers.
#include "LocaleFacts.h"

#include <array>

namespace kv::locale {

QChar decimalSeparator()
{
    const QString d = QLocale().decimalPoint();
    return d.isEmpty() ? QLatin1Char('.') : d.at(0);
}

QString listSeparator()
{
    return decimalSeparator() == QLatin1Char(',') ? QStringLiteral(";") : QStringLiteral(",");
}

quint32 windowsLocaleId(const QLocale &locale)
{
    struct Entry
    {
        QLocale::Language language;
        QLocale::Territory territory;
        quint32 lcid;
    };
    // The primary locales of the languages our users write in; AnyTerritory rows give a
    // language's default when the territory has no row of its own.
    static constexpr std::array<Entry, 40> kTable{{
        {QLocale::English, QLocale::UnitedStates, 0x0409},
        {QLocale::English, QLocale::UnitedKingdom, 0x0809},
        {QLocale::English, QLocale::Australia, 0x0C09},
        {QLocale::English, QLocale::Canada, 0x1009},
        {QLocale::English, QLocale::NewZealand, 0x1409},
        {QLocale::English, QLocale::Ireland, 0x1809},
        {QLocale::English, QLocale::SouthAfrica, 0x1C09},
        {QLocale::English, QLocale::AnyTerritory, 0x0409},
        {QLocale::German, QLocale::Germany, 0x0407},
        {QLocale::German, QLocale::Switzerland, 0x0807},
        {QLocale::German, QLocale::Austria, 0x0C07},
        {QLocale::German, QLocale::AnyTerritory, 0x0407},
        {QLocale::French, QLocale::France, 0x040C},
        {QLocale::French, QLocale::Belgium, 0x080C},
        {QLocale::French, QLocale::Canada, 0x0C0C},
        {QLocale::French, QLocale::Switzerland, 0x100C},
        {QLocale::French, QLocale::AnyTerritory, 0x040C},
        {QLocale::Spanish, QLocale::Spain, 0x0C0A},
        {QLocale::Spanish, QLocale::Mexico, 0x080A},
        {QLocale::Spanish, QLocale::AnyTerritory, 0x0C0A},
        {QLocale::Italian, QLocale::Italy, 0x0410},
        {QLocale::Italian, QLocale::AnyTerritory, 0x0410},
        {QLocale::Dutch, QLocale::Netherlands, 0x0413},
        {QLocale::Dutch, QLocale::Belgium, 0x0813},
        {QLocale::Dutch, QLocale::AnyTerritory, 0x0413},
        {QLocale::Portuguese, QLocale::Brazil, 0x0416},
        {QLocale::Portuguese, QLocale::Portugal, 0x0816},
        {QLocale::Portuguese, QLocale::AnyTerritory, 0x0816},
        {QLocale::Danish, QLocale::AnyTerritory, 0x0406},
        {QLocale::Swedish, QLocale::AnyTerritory, 0x041D},
        {QLocale::NorwegianBokmal, QLocale::AnyTerritory, 0x0414},
        {QLocale::Finnish, QLocale::AnyTerritory, 0x040B},
        {QLocale::Polish, QLocale::AnyTerritory, 0x0415},
        {QLocale::Czech, QLocale::AnyTerritory, 0x0405},
        {QLocale::Hungarian, QLocale::AnyTerritory, 0x040E},
        {QLocale::Russian, QLocale::AnyTerritory, 0x0419},
        {QLocale::Japanese, QLocale::AnyTerritory, 0x0411},
        {QLocale::Chinese, QLocale::AnyTerritory, 0x0804},
        {QLocale::Korean, QLocale::AnyTerritory, 0x0412},
        {QLocale::Turkish, QLocale::AnyTerritory, 0x041F},
    }};
    for (const Entry &e : kTable)
        if (e.language == locale.language() && e.territory == locale.territory())
            return e.lcid;
    for (const Entry &e : kTable)
        if (e.language == locale.language() && e.territory == QLocale::AnyTerritory)
            return e.lcid;
    return 0;
}

} // namespace kv::locale
