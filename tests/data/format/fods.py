"""Writes a flat ODF spreadsheet (.fods) from data styles and rows of cells."""
from xml.sax.saxutils import escape, quoteattr

HEAD = '''<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:loext="urn:org:documentfoundation:names:experimental:office:xmlns:loext:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
'''

def cell(kind, value, style=None):
    """One cell: kind is float, percentage, currency:EUR, date, time, boolean."""
    attrs = ''
    if style:
        attrs += ' table:style-name=' + quoteattr(style)
    if kind == 'date':
        attrs += ' office:value-type="date" office:date-value=' + quoteattr(value)
    elif kind == 'time':
        attrs += ' office:value-type="time" office:time-value=' + quoteattr(value)
    elif kind == 'boolean':
        attrs += ' office:value-type="boolean" office:boolean-value=' + quoteattr(value)
    elif kind.startswith('currency'):
        cur = kind.split(':')[1] if ':' in kind else 'USD'
        attrs += ' office:value-type="currency" office:currency=' + quoteattr(cur) + ' office:value=' + quoteattr(value)
    else:
        attrs += ' office:value-type=' + quoteattr(kind) + ' office:value=' + quoteattr(value)
    return '<table:table-cell%s/>' % attrs

def document(data_styles, cell_styles, sheets):
    """data_styles: raw XML; cell_styles: {name: data style name}; sheets: [(name, [[cell xml]])]."""
    out = [HEAD, '<office:styles>', data_styles]
    for name, ds in cell_styles.items():
        out.append('<style:style style:name=%s style:family="table-cell" style:parent-style-name="Default" style:data-style-name=%s/>' % (quoteattr(name), quoteattr(ds)))
    out.append('</office:styles><office:body><office:spreadsheet>')
    for name, rows in sheets:
        out.append('<table:table table:name=%s>' % quoteattr(name))
        for row in rows:
            out.append('<table:table-row>' + ''.join(row) + '</table:table-row>')
        out.append('</table:table>')
    out.append('</office:spreadsheet></office:body></office:document>\n')
    return '\n'.join(out)
