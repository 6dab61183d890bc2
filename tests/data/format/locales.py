"""Data styles in the languages of many locale families, as the office writes them: currencies
with the locale's own symbol and with an explicit one, separators, month and day names (with the
cases some languages inflect them in), quarters, weeks, eras, booleans, and General cells that show
dates, times and percentages in the locale's standard formats, and dates whose order and
separators follow the locale. Each entry is (name, xml)."""

# (language, country, ISO code of its currency, a symbol written as the office's dialog writes it)
LOCALES = [
    ('zh', 'CN', 'CNY', '￥'), ('ja', 'JP', 'JPY', '￥'), ('uk', 'UA', 'UAH', '₴'),
    ('ru', 'RU', 'RUB', '₽'), ('pl', 'PL', 'PLN', 'zł'), ('sv', 'SE', 'SEK', 'kr'),
    ('tr', 'TR', 'TRY', '₺'), ('ko', 'KR', 'KRW', '₩'), ('hi', 'IN', 'INR', '₹'),
    ('ar', 'OM', 'OMR', 'ر.ع.'), ('he', 'IL', 'ILS', '₪'), ('pt', 'BR', 'BRL', 'R$'),
    ('de', 'CH', 'CHF', 'CHF'), ('fr', 'CH', 'CHF', 'CHF'), ('en', 'IN', 'INR', '₹'),
    ('es', 'MX', 'MXN', '$'), ('fi', 'FI', 'EUR', '€'), ('cs', 'CZ', 'CZK', 'Kč'),
    ('el', 'GR', 'EUR', '€'), ('hu', 'HU', 'HUF', 'Ft'), ('da', 'DK', 'DKK', 'kr.'),
    ('nb', 'NO', 'NOK', 'kr'), ('th', 'TH', 'THB', '฿'), ('vi', 'VN', 'VND', '₫'),
    ('id', 'ID', 'IDR', 'Rp'), ('ro', 'RO', 'RON', 'lei'), ('lt', 'LT', 'EUR', '€'),
    ('en', 'GB', 'GBP', '£'), ('fr', 'CA', 'CAD', '$'), ('ca', 'ES', 'EUR', '€'),
    ('sr', 'RS', 'RSD', 'дин.'), ('sr-Latn', 'RS', 'RSD', 'din.'),
]


# Languages whose office switches to a second calendar for an era; the engine leaves such dates
# to the texts the file holds, so their styles here show no era. (Most Arabic countries show
# even their standard date and time in the Hijri calendar, hence Oman, which does not.)
SECOND_CALENDAR = {'ja', 'ko', 'th', 'he', 'ar'}


def lang(language, country):
    """The attributes of a locale; a language with a script (sr-Latn) names it apart."""
    language, _, script = language.partition('-')
    return 'number:language="%s"%s number:country="%s"' % (
        language, ' number:script="%s"' % script if script else '', country)


def number(decimals=2):
    return ('<number:number number:decimal-places="%d" loext:min-decimal-places="%d" '
            'number:min-integer-digits="1" number:grouping="true"/>' % (decimals, decimals))


def styles_of(language, country, symbol):
    tag = language.replace('-', '') + country
    at = lang(language, country)
    text = '<number:text>%s</number:text>'
    return [
        ('cur-' + tag, '<number:currency-style style:name="cur-%s" %s>'
         '<number:currency-symbol %s/>%s%s</number:currency-style>' % (tag, at, at, text % ' ', number())),
        ('sym-' + tag, '<number:currency-style style:name="sym-%s" %s>%s%s'
         '<number:currency-symbol %s>%s</number:currency-symbol></number:currency-style>'
         % (tag, at, number(), text % ' ', at, symbol)),
        ('num-' + tag, '<number:number-style style:name="num-%s" %s>%s</number:number-style>'
         % (tag, at, number(3))),
        ('long-' + tag, '<number:date-style style:name="long-%s" %s>'
         '<number:day-of-week number:style="long"/>%s<number:day/>%s'
         '<number:month number:style="long" number:textual="true"/>%s<number:year number:style="long"/>'
         '</number:date-style>' % (tag, at, text % ', ', text % ' ', text % ' ')),
        ('month-' + tag, '<number:date-style style:name="month-%s" %s>'
         '<number:month number:textual="true"/>%s<number:day/>%s<number:year/>%s'
         '<number:day-of-week/>%s<number:quarter number:style="long"/>%s<number:week-of-year/>'
         '%s</number:date-style>'
         % (tag, at, text % ' ', text % ', ', text % ' ', text % ' ', text % ' W',
            '' if language in SECOND_CALENDAR else text % ' ' + '<number:era/>')),
        ('order-' + tag, '<number:date-style style:name="order-%s" %s number:automatic-order="true">'
         '<number:day number:style="long"/>%s<number:month number:style="long"/>%s<number:year/>'
         '</number:date-style>' % (tag, at, text % '.', text % '.')),
        # The long date of Thailand is in the Buddhist calendar, which the engine leaves to the
        # file's texts.
    ] + ([] if language == 'th' else [
        ('orderlong-' + tag, '<number:date-style style:name="orderlong-%s" %s '
         'number:automatic-order="true"><number:day-of-week number:style="long"/>%s<number:day/>'
         '%s<number:month number:style="long" number:textual="true"/>%s'
         '<number:year number:style="long"/></number:date-style>'
         % (tag, at, text % ', ', text % ' ', text % ' ')),
    ]) + [
        ('bool-' + tag, '<number:boolean-style style:name="bool-%s" %s><number:boolean/>'
         '</number:boolean-style>' % (tag, at)),
        ('std-' + tag, '<number:number-style style:name="std-%s" %s><number:number number:min-integer-digits="1"/>'
         '</number:number-style>' % (tag, at)),
        ('ampm-' + tag, '<number:time-style style:name="ampm-%s" %s><number:hours/>%s'
         '<number:minutes number:style="long"/>%s<number:am-pm/></number:time-style>'
         % (tag, at, text % ':', text % ' ')),
    ]


ALL = [style for language, country, _, symbol in LOCALES for style in styles_of(language, country, symbol)]
