#include "ods/format/locale_data.h"

namespace ods::format {

namespace {

constexpr std::string_view nbsp = "\u00a0";

LocaleData english() {
    return {".",
            ",",
            {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
            {"January", "February", "March", "April", "May", "June", "July", "August", "September",
             "October", "November", "December"},
            {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
            {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
            "AM",
            "PM",
            "TRUE",
            "FALSE",
            {"Q1", "Q2", "Q3", "Q4"},
            {"1st quarter", "2nd quarter", "3rd quarter", "4th quarter"},
            "AD",
            "AD",
            "$",
            false,
            true};
}

LocaleData german() {
    return {",",
            ".",
            {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
            {"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September",
             "Oktober", "November", "Dezember"},
            {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"},
            {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
            "vorm.",
            "nachm.",
            "WAHR",
            "FALSCH",
            {"Q1", "Q2", "Q3", "Q4"},
            {"1. Quartal", "2. Quartal", "3. Quartal", "4. Quartal"},
            "n. Chr.",
            "nach Christus",
            "DM",
            false,
            true};
}

LocaleData french() {
    return {",",
            nbsp,
            {"janv.", "févr.", "mars", "avr.", "mai", "juin", "juil.", "août", "sept.", "oct.",
             "nov.", "déc."},
            {"janvier", "février", "mars", "avril", "mai", "juin", "juillet", "août", "septembre",
             "octobre", "novembre", "décembre"},
            {"dim.", "lun.", "mar.", "mer.", "jeu.", "ven.", "sam."},
            {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"},
            "AM",
            "PM",
            "VRAI",
            "FAUX",
            {"T1", "T2", "T3", "T4"},
            {"1er trimestre", "2e trimestre", "3e trimestre", "4e trimestre"},
            "apr. J.-C.",
            "ap. J.-C.",
            "F",
            false,
            true};
}

LocaleData spanish() {
    return {",",
            ".",
            {"ene", "feb", "mar", "abr", "may", "jun", "jul", "ago", "sep", "oct", "nov", "dic"},
            {"enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto", "septiembre",
             "octubre", "noviembre", "diciembre"},
            {"dom", "lun", "mar", "mié", "jue", "vie", "sáb"},
            {"domingo", "lunes", "martes", "miércoles", "jueves", "viernes", "sábado"},
            "a.\u00a0m.",
            "p.\u00a0m.",
            "VERDADERO",
            "FALSO",
            {"T1", "T2", "T3", "T4"},
            {"1er trimestre", "2º trimestre", "3er trimestre", "4º trimestre"},
            "d.C.",
            "d.C.",
            "₧",
            false,
            true};
}

LocaleData italian() {
    return {",",
            ".",
            {"gen", "feb", "mar", "apr", "mag", "giu", "lug", "ago", "set", "ott", "nov", "dic"},
            {"gennaio", "febbraio", "marzo", "aprile", "maggio", "giugno", "luglio", "agosto",
             "settembre", "ottobre", "novembre", "dicembre"},
            {"dom", "lun", "mar", "mer", "gio", "ven", "sab"},
            {"domenica", "lunedì", "martedì", "mercoledì", "giovedì", "venerdì", "sabato"},
            "a.m.",
            "p.m.",
            "VERO",
            "FALSO",
            {"T1", "T2", "T3", "T4"},
            {"1o trimestre", "2o trimestre", "3o trimestre", "4o trimestre"},
            "dC",
            "dC",
            "₤",
            false,
            true};
}

LocaleData dutch() {
    return {",",
            ".",
            {"jan", "feb", "mrt", "apr", "mei", "jun", "jul", "aug", "sep", "okt", "nov", "dec"},
            {"januari", "februari", "maart", "april", "mei", "juni", "juli", "augustus",
             "september", "oktober", "november", "december"},
            {"zo", "ma", "di", "wo", "do", "vr", "za"},
            {"zondag", "maandag", "dinsdag", "woensdag", "donderdag", "vrijdag", "zaterdag"},
            "AM",
            "PM",
            "WAAR",
            "ONWAAR",
            {"K1", "K2", "K3", "K4"},
            {"1ste kwartaal", "2de kwartaal", "3de kwartaal", "4de kwartaal"},
            "n.Chr.",
            "AD",
            "fl",
            false,
            true};
}

LocaleData portuguese() {
    return {",",
            nbsp,
            {"jan", "fev", "mar", "abr", "mai", "jun", "jul", "ago", "set", "out", "nov", "dez"},
            {"janeiro", "fevereiro", "março", "abril", "maio", "junho", "julho", "agosto",
             "setembro", "outubro", "novembro", "dezembro"},
            {"dom", "seg", "ter", "qua", "qui", "sex", "sáb"},
            {"domingo", "segunda-feira", "terça-feira", "quarta-feira", "quinta-feira",
             "sexta-feira", "sábado"},
            "AM",
            "PM",
            "VERDADEIRO",
            "FALSO",
            {"1T", "2T", "3T", "4T"},
            {"1.º trimestre", "2.º trimestre", "3.º trimestre", "4.º trimestre"},
            "dC",
            "dC",
            "$",
            false,
            true};
}

struct Table {
    LocaleData englishUs = [] {
        LocaleData data = english();
        data.usWeeks = true;
        return data;
    }();
    LocaleData englishGb = [] {
        LocaleData data = english();
        data.currencySymbol = "£";
        return data;
    }();
    LocaleData unknown = [] {
        LocaleData data = english();
        data.known = false;
        return data;
    }();
    LocaleData germany = german();
    LocaleData austria = [] {
        LocaleData data = german();
        data.monthsShort[0] = "Jän";
        data.monthsLong[0] = "Jänner";
        data.eraLong = "n. Chr.";
        data.currencySymbol = "öS";
        return data;
    }();
    LocaleData switzerlandGerman = [] {
        LocaleData data = german();
        data.decimalSeparator = ".";
        data.groupSeparator = "'";
        data.currencySymbol = "CHF";
        return data;
    }();
    LocaleData france = french();
    LocaleData switzerlandFrench = [] {
        LocaleData data = french();
        data.decimalSeparator = ".";
        data.groupSeparator = "'";
        data.currencySymbol = "CHF";
        return data;
    }();
    LocaleData canadaFrench = [] {
        LocaleData data = french();
        data.currencySymbol = "$";
        return data;
    }();
    LocaleData spain = spanish();
    LocaleData mexico = [] {
        LocaleData data = spanish();
        data.decimalSeparator = ".";
        data.groupSeparator = ",";
        data.currencySymbol = "$";
        return data;
    }();
    LocaleData italy = italian();
    LocaleData switzerlandItalian = [] {
        LocaleData data = italian();
        data.decimalSeparator = ".";
        data.groupSeparator = "'";
        data.currencySymbol = "CHF";
        return data;
    }();
    LocaleData netherlands = dutch();
    LocaleData belgiumDutch = [] {
        LocaleData data = dutch();
        data.currencySymbol = "BF";
        return data;
    }();
    LocaleData portugal = portuguese();
    LocaleData brazil = [] {
        LocaleData data = portuguese();
        data.groupSeparator = ".";
        data.currencySymbol = "R$";
        return data;
    }();
};

const Table& table() {
    static const Table instance;
    return instance;
}

} // namespace

const LocaleData& localeData(std::string_view language, std::string_view country) {
    const Table& t = table();
    if (language.empty() || language == "en")
        return country == "GB" ? t.englishGb : t.englishUs;
    if (language == "de")
        return country == "AT" ? t.austria : country == "CH" ? t.switzerlandGerman : t.germany;
    if (language == "fr")
        return country == "CH" ? t.switzerlandFrench : country == "CA" ? t.canadaFrench : t.france;
    if (language == "es")
        return country == "MX" || country == "US" ? t.mexico : t.spain;
    if (language == "it")
        return country == "CH" ? t.switzerlandItalian : t.italy;
    if (language == "nl")
        return country == "BE" ? t.belgiumDutch : t.netherlands;
    if (language == "pt")
        return country == "BR" ? t.brazil : t.portugal;
    return t.unknown;
}

std::string_view currencySymbol(std::string_view code) {
    struct Entry {
        std::string_view code;
        std::string_view symbol;
    };
    static constexpr Entry symbols[] = {
        {"USD", "$"},  {"EUR", "€"},   {"GBP", "£"},  {"JPY", "¥"},   {"CHF", "CHF"}, {"SEK", "kr"},
        {"NOK", "kr"}, {"DKK", "kr."}, {"BRL", "R$"}, {"CAD", "$"},   {"AUD", "$"},   {"MXN", "$"},
        {"INR", "₹"},  {"CNY", "¥"},   {"PLN", "zł"}, {"RUB", "₽"}, {"NZD", "$"},   {"ZAR", "R"},
    };
    for (const auto& entry : symbols)
        if (entry.code == code)
            return entry.symbol;
    return {};
}

} // namespace ods::format
