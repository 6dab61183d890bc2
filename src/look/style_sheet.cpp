#include "look/style_sheet.h"

#include <QRegularExpression>
#include <stdexcept>
#include <string>

namespace gridwork {
namespace {

QString quoted(const QString& text) {
    return '"' + text + '"';
}

class Parser {
public:
    explicit Parser(const QString& text) : text_(text) {}

    std::vector<StyleRule> rules() {
        std::vector<StyleRule> result;
        for (skipBlanks(); !atEnd(); skipBlanks()) {
            result.push_back(rule());
        }
        if (result.empty()) {
            throw std::runtime_error("it holds no style rule");
        }
        return result;
    }

private:
    [[noreturn]] void fail(qsizetype at, const QString& reason) const {
        const qsizetype line = text_.first(at).count('\n') + 1;
        throw std::runtime_error("line " + std::to_string(line) + ": " + reason.toStdString());
    }

    bool atEnd() const { return pos_ >= text_.size(); }
    QChar current() const { return text_[pos_]; }

    void skipComment() {
        const qsizetype end = text_.indexOf(QLatin1String("*/"), pos_ + 2);
        if (end < 0) {
            fail(pos_, "a comment is not closed with \"*/\"");
        }
        pos_ = end + 2;
    }

    bool atComment() const { return text_.mid(pos_, 2) == QLatin1String("/*"); }

    void skipBlanks() {
        while (!atEnd()) {
            if (current().isSpace()) {
                ++pos_;
            } else if (atComment()) {
                skipComment();
            } else {
                return;
            }
        }
    }

    // Collects text up to the first of `stops` that stands outside quotes, parentheses and
    // brackets, so that url(a;b) or [text="{"] do not end a declaration or a selector.
    QString until(const QString& stops) {
        QString out;
        std::vector<std::pair<QChar, qsizetype>> open;
        while (!atEnd()) {
            const QChar c = current();
            if (atComment()) {
                skipComment();
                out += ' ';
                continue;
            }
            if (c == '"' || c == '\'') {
                const qsizetype close = text_.indexOf(c, pos_ + 1);
                const qsizetype lineEnd = text_.indexOf('\n', pos_ + 1);
                if (close < 0 || (lineEnd >= 0 && lineEnd < close)) {
                    fail(pos_, "a quoted text is not closed on its line");
                }
                out += text_.mid(pos_, close - pos_ + 1);
                pos_ = close + 1;
                continue;
            }
            if (open.empty() && stops.contains(c)) {
                break;
            }
            if (c == '(' || c == '[') {
                open.emplace_back(c == '(' ? QChar(')') : QChar(']'), pos_);
            } else if (c == ')' || c == ']') {
                if (open.empty() || open.back().first != c) {
                    fail(pos_, QString("a '%1' that closes nothing").arg(c));
                }
                open.pop_back();
            }
            out += c;
            ++pos_;
        }
        if (!open.empty()) {
            const QChar opening = open.back().first == ')' ? QChar('(') : QChar('[');
            fail(open.back().second, QString("a '%1' is not closed").arg(opening));
        }
        return out;
    }

    StyleRule rule() {
        const qsizetype start = pos_;
        const QString selectorText = until("{};").simplified();
        if (atEnd()) {
            fail(start, "the selector " + quoted(selectorText) + " is not followed by '{'");
        }
        if (selectorText.isEmpty() && current() != '{') {
            fail(pos_, QString("a '%1' outside any rule").arg(current()));
        }
        if (current() != '{') {
            fail(pos_, "the selector " + quoted(selectorText) +
                           QString(" is followed by '%1' instead of '{'").arg(current()));
        }
        ++pos_;
        StyleRule result{selectors(selectorText, start), {}};
        for (skipBlanks(); !atEnd() && current() != '}'; skipBlanks()) {
            if (current() == ';') {
                ++pos_;
                continue;
            }
            const qsizetype declarationStart = pos_;
            const QString declarationText = until("{};");
            if (!atEnd() && current() == '{') {
                fail(pos_, "a '{' inside the rule for " + quoted(selectorText) +
                               "; close that rule with '}' first");
            }
            result.declarations.push_back(declaration(declarationText, declarationStart));
        }
        if (atEnd()) {
            fail(start, "the rule for " + quoted(selectorText) + " is not closed with '}'");
        }
        ++pos_;
        return result;
    }

    QStringList selectors(const QString& text, qsizetype at) const {
        static const QRegularExpression quotedText(R"("[^"]*"|'[^']*')");
        static const QRegularExpression allowed(R"(^[A-Za-z0-9_\-#.:\[\]=*>~!|^$ ]+$)");
        if (text.isEmpty()) {
            fail(at, "a '{' without a selector before it");
        }
        QStringList result;
        qsizetype from = 0;
        int depth = 0;
        QChar quote;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            const QChar c = i < text.size() ? text[i] : QChar(',');
            if (!quote.isNull()) {
                quote = c == quote ? QChar() : quote;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                ++depth;
            } else if (c == ']') {
                --depth;
            } else if (c == ',' && depth == 0) {
                const QString selector = text.mid(from, i - from).trimmed();
                QString bare = selector;
                bare.replace(quotedText, "x");
                if (selector.isEmpty()) {
                    fail(at, "an empty selector in " + quoted(text));
                }
                if (!allowed.match(bare).hasMatch() || bare.endsWith('>')) {
                    fail(at, quoted(selector) + " is no selector");
                }
                result.append(selector);
                from = i + 1;
            }
        }
        return result;
    }

    StyleDeclaration declaration(const QString& text, qsizetype at) const {
        static const QRegularExpression name(R"(^-?[A-Za-z][A-Za-z0-9-]*$)");
        const qsizetype colon = text.indexOf(':');
        if (colon < 0) {
            fail(at, quoted(text.simplified()) + " is no declaration of the form property: value");
        }
        StyleDeclaration result{text.first(colon).trimmed(), text.mid(colon + 1).simplified()};
        if (!name.match(result.property).hasMatch()) {
            fail(at, quoted(result.property) + " is no property name");
        }
        if (result.value.isEmpty()) {
            fail(at, "the property " + quoted(result.property) + " has no value");
        }
        return result;
    }

    const QString& text_;
    qsizetype pos_ = 0;
};

} // namespace

std::vector<StyleRule> parseStyleSheet(const QString& text) {
    return Parser(text).rules();
}

QString writeStyleSheet(const std::vector<StyleRule>& rules) {
    QString out;
    for (const StyleRule& rule : rules) {
        out += rule.selectors.join(", ") + " {\n";
        for (const StyleDeclaration& declaration : rule.declarations) {
            out += "    " + declaration.property + ": " + declaration.value + ";\n";
        }
        out += "}\n";
    }
    return out;
}

QString narrowSelector(const QString& selector, const QString& attribute) {
    qsizetype compoundStart = 0;
    qsizetype insertAt = -1;
    int depth = 0;
    QChar quote;
    for (qsizetype i = 0; i < selector.size(); ++i) {
        const QChar c = selector[i];
        if (!quote.isNull()) {
            quote = c == quote ? QChar() : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++depth;
        } else if (c == ']') {
            --depth;
        } else if (depth == 0 && (c == ' ' || c == '>' || c == '~')) {
            compoundStart = i + 1;
            insertAt = -1;
        } else if (depth == 0 && c == ':' && insertAt < 0 && i >= compoundStart) {
            insertAt = i;
        }
    }
    if (insertAt < 0) {
        insertAt = selector.size();
    }
    return selector.first(insertAt) + attribute + selector.mid(insertAt);
}

} // namespace gridwork
