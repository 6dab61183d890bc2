#pragma once

// The skin file format: a Qt style sheet made of rules, each a list of selectors and a block of
// declarations. Qt ignores a style sheet it cannot parse without a word, so the skin component
// checks the syntax itself and refuses a broken file with the line of its first fault.

#include <QString>
#include <QStringList>
#include <vector>

namespace gridwork {

struct StyleDeclaration {
    QString property;
    QString value;
};

struct StyleRule {
    QStringList selectors;
    std::vector<StyleDeclaration> declarations;
};

/// Parses rules of the form `selector, selector { property: value; ... }` with /* comments */.
/// Throws std::runtime_error naming the line of the first syntax fault, or when there is no rule.
std::vector<StyleRule> parseStyleSheet(const QString& text);

/// Writes rules back as style sheet text that parseStyleSheet reads again.
QString writeStyleSheet(const std::vector<StyleRule>& rules);

/// Narrows a selector to the widgets that carry `attribute` (e.g. `[skinned="true"]`): the
/// attribute joins the selector's last compound, before any pseudo-state or sub-control.
QString narrowSelector(const QString& selector, const QString& attribute);

} // namespace gridwork
