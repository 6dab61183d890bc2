"""Data styles used by the format documents: the ones real documents use most, and a spread of
the rest. Each entry is (name, xml); the name doubles as the cell style's."""

def N(name, inner, attrs=''):
    return (name, '<number:number-style style:name="%s" %s>%s</number:number-style>' % (name, attrs, inner))

def num(dec=None, mind=None, minint=1, grouping=False, extra=''):
    a = 'number:min-integer-digits="%d"' % minint
    if dec is not None:
        a += ' number:decimal-places="%d"' % dec
    if mind is not None:
        a += ' loext:min-decimal-places="%d"' % mind
    if grouping:
        a += ' number:grouping="true"'
    return '<number:number %s %s/>' % (a, extra)

def T(text):
    return '<number:text>%s</number:text>' % text

NUMBER = [
    N('general', num()),
    N('int', num(0)),
    N('dec1', num(1, 1)),
    N('dec2', num(2, 2)),
    N('dec3', num(3, 3)),
    N('group0', num(0, 0, grouping=True)),
    N('group2', num(2, 2, grouping=True)),
    N('hash', num(0, 0, minint=0)),
    N('upto2', num(2, 0)),
    N('pad5', num(0, 0, minint=5)),
    N('thousands', num(1, 1, extra='number:display-factor="1000"')),
    N('textaround', T('Value: ') + num(2, 2) + T(' units')),
    N('dec2de', num(2, 2, grouping=True), 'number:language="de" number:country="DE"'),
    N('dec2fr', num(2, 2, grouping=True), 'number:language="fr" number:country="FR"'),
    N('generalde', num(), 'number:language="de" number:country="DE"'),
    N('sci', '<number:scientific-number number:decimal-places="2" number:min-integer-digits="1" number:min-exponent-digits="2"/>'),
    N('sci3', '<number:scientific-number number:decimal-places="1" loext:min-decimal-places="1" number:min-integer-digits="1" number:min-exponent-digits="1" loext:exponent-interval="3" loext:forced-exponent-sign="true"/>'),
    N('frac', '<number:fraction number:min-integer-digits="0" number:min-numerator-digits="1" number:min-denominator-digits="1"/>'),
    N('frac2', '<number:fraction number:min-integer-digits="0" number:min-numerator-digits="2" number:min-denominator-digits="2"/>'),
    N('quarters', '<number:fraction number:min-integer-digits="1" number:min-numerator-digits="1" number:min-denominator-digits="1" number:denominator-value="4"/>'),
    N('negpos', T('-') + num(2, 2, grouping=True) + '<style:map style:condition="value()&gt;=0" style:apply-style-name="group2"/>'),
    N('negparen', T('(') + num(2, 2, grouping=True) + T(')') + '<style:map style:condition="value()&gt;=0" style:apply-style-name="group2"/>'),
    N('threeway', T('zero') + '<style:map style:condition="value()&gt;0" style:apply-style-name="dec1"/><style:map style:condition="value()&lt;0" style:apply-style-name="negred"/>'),
    N('negred', '<style:text-properties fo:color="#ff0000"/>' + T('minus ') + num(1, 1)),
    N('bigcond', T('big ') + num(0, 0) + '<style:map style:condition="value()&gt;1000" style:apply-style-name="group0"/>'),
    N('embedded', '<number:number number:decimal-places="2" loext:min-decimal-places="2" number:min-integer-digits="1">'
      '<number:embedded-text number:position="3">-</number:embedded-text></number:number>'),
    N('dashes', num(2, 2, grouping=True, extra='number:decimal-replacement="--"')),
]

CURRENCY = [
    ('usd', '<number:currency-style style:name="usd"><number:currency-symbol number:language="en" number:country="US">$</number:currency-symbol>' + num(2, 2, grouping=True) + '</number:currency-style>'),
    ('usdneg', '<number:currency-style style:name="usdneg"><style:text-properties fo:color="#ff0000"/>' + T('-') + '<number:currency-symbol number:language="en" number:country="US">$</number:currency-symbol>' + num(2, 2, grouping=True) + '<style:map style:condition="value()&gt;=0" style:apply-style-name="usd"/></number:currency-style>'),
    ('eur', '<number:currency-style style:name="eur" number:language="de" number:country="DE">' + num(2, 2, grouping=True) + T(' ') + '<number:currency-symbol number:language="de" number:country="DE">€</number:currency-symbol></number:currency-style>'),
    ('gbp0', '<number:currency-style style:name="gbp0"><number:currency-symbol number:language="en" number:country="GB">£</number:currency-symbol>' + num(0, 0, grouping=True) + '</number:currency-style>'),
    ('kr', '<number:currency-style style:name="kr"><number:currency-symbol>kr</number:currency-symbol>' + T(' ') + num(2, 2, grouping=True) + '</number:currency-style>'),
    ('usdauto', '<number:currency-style style:name="usdauto"><number:currency-symbol number:language="en" number:country="US"/>' + num(2, 2, grouping=True) + '</number:currency-style>'),
]

PERCENT = [
    ('pct0', '<number:percentage-style style:name="pct0">' + num(0, 0) + T('%') + '</number:percentage-style>'),
    ('pct2', '<number:percentage-style style:name="pct2">' + num(2, 2) + T('%') + '</number:percentage-style>'),
    ('pct1de', '<number:percentage-style style:name="pct1de" number:language="de" number:country="DE">' + num(1, 1) + T('\u00a0%') + '</number:percentage-style>'),
]

def D(name, inner, attrs=''):
    return (name, '<number:date-style style:name="%s" %s>%s</number:date-style>' % (name, attrs, inner))

def TM(name, inner, attrs=''):
    return (name, '<number:time-style style:name="%s" %s>%s</number:time-style>' % (name, attrs, inner))

def P(kind, attrs=''):
    return '<number:%s %s/>' % (kind, attrs)

L = 'number:style="long"'
DATE = [
    D('mdy', P('month') + T('/') + P('day') + T('/') + P('year')),
    D('mdyyyy', P('month', L) + T('/') + P('day', L) + T('/') + P('year', L)),
    D('iso', P('year', L) + T('-') + P('month', L) + T('-') + P('day', L)),
    D('dmy', P('day', L) + T('.') + P('month', L) + T('.') + P('year', L)),
    D('mony', P('month', 'number:textual="true"') + T('-') + P('year')),
    D('dmonyy', P('day') + T('-') + P('month', 'number:textual="true"') + T('-') + P('year')),
    D('longdate', P('day-of-week', L) + T(', ') + P('month', 'number:textual="true" ' + L) + T(' ') + P('day') + T(', ') + P('year', L)),
    D('longde', P('day-of-week', L) + T(', ') + P('day') + T('. ') + P('month', 'number:textual="true" ' + L) + T(' ') + P('year', L), 'number:language="de" number:country="DE"'),
    D('longfr', P('day-of-week', L) + T(' ') + P('day') + T(' ') + P('month', 'number:textual="true" ' + L) + T(' ') + P('year', L), 'number:language="fr" number:country="FR"'),
    D('shortes', P('day-of-week') + T(' ') + P('day') + T(' ') + P('month', 'number:textual="true"') + T(' ') + P('year', L), 'number:language="es" number:country="ES"'),
    D('longit', P('day-of-week', L) + T(' ') + P('day') + T(' ') + P('month', 'number:textual="true" ' + L), 'number:language="it" number:country="IT"'),
    D('shortnl', P('day-of-week') + T(' ') + P('day') + T(' ') + P('month', 'number:textual="true"'), 'number:language="nl" number:country="NL"'),
    D('longpt', P('day-of-week', L) + T(', ') + P('day') + T(' de ') + P('month', 'number:textual="true" ' + L), 'number:language="pt" number:country="BR"'),
    D('quarter', P('quarter') + T(' ') + P('year', L) + T(' ') + P('quarter', L) + T(' W') + P('week-of-year')),
    D('datetime', P('month', L) + T('/') + P('day', L) + T('/') + P('year', L) + T(' ') + P('hours', L) + T(':') + P('minutes', L)),
    D('weekde', P('day', L) + T('.') + P('month', L) + T('.') + P('year', L) + T(' KW') + P('week-of-year'), 'number:language="de" number:country="DE"'),
    D('datetimeampm', P('month') + T('/') + P('day') + T('/') + P('year') + T(' ') + P('hours') + T(':') + P('minutes', L) + T(':') + P('seconds', L) + T(' ') + P('am-pm')),
]

TIME = [
    TM('hms', P('hours', L) + T(':') + P('minutes', L) + T(':') + P('seconds', L)),
    TM('hm', P('hours') + T(':') + P('minutes', L)),
    TM('hmampm', P('hours') + T(':') + P('minutes', L) + T(' ') + P('am-pm')),
    TM('hmsampm', P('hours') + T(':') + P('minutes', L) + T(':') + P('seconds', L) + T(' ') + P('am-pm')),
    TM('elapsed', P('hours') + T(':') + P('minutes', L) + T(':') + P('seconds', L), 'number:truncate-on-overflow="false"'),
    TM('ms1', P('minutes', L) + T(':') + P('seconds', L + ' number:decimal-places="1"')),
    TM('hms2', P('hours', L) + T(':') + P('minutes', L) + T(':') + P('seconds', L + ' number:decimal-places="2"')),
    TM('elapsedmin', P('minutes') + T(':') + P('seconds', L), 'number:truncate-on-overflow="false"'),
    TM('hmde', P('hours', L) + T(':') + P('minutes', L) + T(' ') + P('am-pm'), 'number:language="de" number:country="DE"'),
]

BOOLEAN = [
    ('bool', '<number:boolean-style style:name="bool"><number:boolean/></number:boolean-style>'),
    ('boolde', '<number:boolean-style style:name="boolde" number:language="de" number:country="DE"><number:boolean/></number:boolean-style>'),
    ('boolfr', '<number:boolean-style style:name="boolfr" number:language="fr" number:country="FR"><number:boolean/></number:boolean-style>'),
    ('booles', '<number:boolean-style style:name="booles" number:language="es" number:country="ES"><number:boolean/></number:boolean-style>'),
    ('boolit', '<number:boolean-style style:name="boolit" number:language="it" number:country="IT"><number:boolean/></number:boolean-style>'),
    ('boolnl', '<number:boolean-style style:name="boolnl" number:language="nl" number:country="NL"><number:boolean/></number:boolean-style>'),
    ('boolpt', '<number:boolean-style style:name="boolpt" number:language="pt" number:country="PT"><number:boolean/></number:boolean-style>'),
]

TEXT = [
    ('text', '<number:text-style style:name="text">' + T('[') + '<number:text-content/>' + T(']') + '</number:text-style>'),
]

ALL = NUMBER + CURRENCY + PERCENT + DATE + TIME + BOOLEAN + TEXT
