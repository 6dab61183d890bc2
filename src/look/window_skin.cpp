#include "look/window_skin.h"

#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QStringDecoder>
#include <algorithm>
#include <stdexcept>
#include <string>

namespace gridwork {
namespace {

constexpr int loadMethod = 2;
constexpr int applyMethod = 3;
constexpr int applyOptionsProperty = 1;
constexpr int applyColoursProperty = 5;
constexpr int applyMetricsProperty = 10;
constexpr int restyleControls = 0x1;
// A style sheet for one small window is a few kilobytes; anything near this is some other file.
constexpr qint64 largestSkin = qint64{1} << 20;
// Marks the window when the skin must stay on its own surface; rules are narrowed to it.
constexpr char windowOnlyMark[] = "gridworkSkinnedWindow";

std::string shown(const QString& path) {
    return "\"" + QDir::toNativeSeparators(path).toStdString() + "\"";
}

bool isColour(const QString& property) {
    return property.contains(QLatin1String("color")) ||
           property.startsWith(QLatin1String("background"));
}

bool isMetric(const QString& property) {
    static const QStringList prefixes{"font", "padding", "margin", "spacing"};
    static const QStringList names{"width",        "height",        "min-width",  "min-height",
                                   "max-width",    "max-height",    "border",     "border-top",
                                   "border-right", "border-bottom", "border-left"};
    static const QStringList suffixes{"-width", "-radius", "-size"};
    const auto startsWith = [&](const QString& prefix) { return property.startsWith(prefix); };
    const auto endsWith = [&](const QString& suffix) { return property.endsWith(suffix); };
    return names.contains(property) || std::any_of(prefixes.begin(), prefixes.end(), startsWith) ||
           std::any_of(suffixes.begin(), suffixes.end(), endsWith);
}

QString textArgument(const QVariantList& arguments, qsizetype index, const char* method) {
    if (arguments.size() <= index || arguments[index].typeId() != QMetaType::QString) {
        throw std::runtime_error(std::string("The skin component's ") + method +
                                 " needs a text as argument " + std::to_string(index + 1) + ".");
    }
    return arguments[index].toString();
}

QWidget* windowWithHandle(quint32 handle) {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        // internalWinId, not winId: asking every window for its handle would create them all.
        const WId id = window->internalWinId();
        if (id != 0 && static_cast<quint32>(id) == handle) {
            return window;
        }
    }
    return nullptr;
}

void paintButtonFace(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace

SkinFramework::SkinFramework(QObject* parent) : QObject(parent) {}

QVariant SkinFramework::invoke(int dispatchId, const QVariantList& arguments) {
    switch (dispatchId) {
    case loadMethod:
        load(arguments);
        return {};
    case applyMethod:
        apply(arguments);
        return {};
    default:
        throw std::runtime_error("The skin component has no method with dispatch number " +
                                 std::to_string(dispatchId) + ".");
    }
}

QVariant SkinFramework::property(int dispatchId) const {
    switch (dispatchId) {
    case applyOptionsProperty:
        return applyOptions_;
    case applyColoursProperty:
        return applyColours_;
    case applyMetricsProperty:
        return applyMetrics_;
    default:
        throw std::runtime_error("The skin component has no property with dispatch number " +
                                 std::to_string(dispatchId) + ".");
    }
}

void SkinFramework::setProperty(int dispatchId, const QVariant& value) {
    switch (dispatchId) {
    case applyOptionsProperty: {
        bool isNumber = false;
        const int options = value.toInt(&isNumber);
        if (!isNumber) {
            throw std::runtime_error("The skin component's apply options (property 1) must be "
                                     "a whole number.");
        }
        applyOptions_ = options;
        return;
    }
    case applyColoursProperty:
        applyColours_ = value.toBool();
        return;
    case applyMetricsProperty:
        applyMetrics_ = value.toBool();
        return;
    default:
        throw std::runtime_error("The skin component has no property with dispatch number " +
                                 std::to_string(dispatchId) + ".");
    }
}

void SkinFramework::load(const QVariantList& arguments) {
    if (arguments.size() != 2) {
        throw std::runtime_error("The skin component's load (method 2) takes a path and a "
                                 "variant name.");
    }
    const QString path = textArgument(arguments, 0, "load (method 2)");
    const QString variant = textArgument(arguments, 1, "load (method 2)");
    // A refused file leaves no skin behind: an apply after it must not use an older one.
    loaded_ = false;
    rules_.clear();
    if (!variant.isEmpty()) {
        throw std::runtime_error("The skin file " + shown(path) + " has no variant \"" +
                                 variant.toStdString() + "\"; leave the variant empty.");
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("The skin file " + shown(path) +
                                 " cannot be read: " + file.errorString().toStdString() + ".");
    }
    const QByteArray bytes = file.read(largestSkin + 1);
    if (bytes.size() > largestSkin) {
        throw std::runtime_error("The skin file " + shown(path) +
                                 " is too large for a style sheet (more than 1 MiB).");
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError() || text.contains(QChar(0))) {
        throw std::runtime_error("The skin file " + shown(path) +
                                 " is no style sheet: it is not UTF-8 text.");
    }
    try {
        rules_ = parseStyleSheet(text);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error("The skin file " + shown(path) +
                                 " is no valid style sheet: " + e.what() + ".");
    }
    loaded_ = true;
}

void SkinFramework::apply(const QVariantList& arguments) {
    bool isNumber = false;
    const qlonglong handle = arguments.size() == 1 ? arguments[0].toLongLong(&isNumber) : 0;
    if (!isNumber) {
        throw std::runtime_error("The skin component's apply (method 3) takes one window "
                                 "handle.");
    }
    if (!loaded_) {
        throw std::runtime_error("The skin cannot be applied: no skin file is loaded.");
    }
    QWidget* const window = windowWithHandle(static_cast<quint32>(handle));
    if (window == nullptr) {
        throw std::runtime_error("The skin cannot be applied: no window of the program has the "
                                 "handle " +
                                 std::to_string(handle) + ".");
    }
    const bool controlsToo = (applyOptions_ & restyleControls) != 0;
    const QString mark = QString("[%1=\"true\"]").arg(windowOnlyMark);
    std::vector<StyleRule> rules;
    for (const StyleRule& rule : rules_) {
        StyleRule kept{rule.selectors, {}};
        for (const StyleDeclaration& declaration : rule.declarations) {
            const bool colour = isColour(declaration.property);
            const bool metric = isMetric(declaration.property);
            if ((colour && applyColours_) || (metric && applyMetrics_) || (!colour && !metric)) {
                kept.declarations.push_back(declaration);
            }
        }
        if (kept.declarations.empty()) {
            continue;
        }
        if (!controlsToo) {
            for (QString& selector : kept.selectors) {
                selector = narrowSelector(selector, mark);
            }
        }
        rules.push_back(std::move(kept));
    }
    window->setProperty(windowOnlyMark, !controlsToo);
    applied_ = writeStyleSheet(rules);
    window->setStyleSheet(applied_);
}

QString skinFilePath(const QString& programFolder) {
    return programFolder + "/x/o.cjs";
}

bool skinFileCounts(const QString& path) {
    const QFileInfo entry(path);
    if (!entry.isFile() || entry.isHidden()) {
        return false;
    }
    return !entry.isSymLink() || !QFileInfo(entry.canonicalFilePath()).isHidden();
}

QColor buttonFaceColour() {
    return QApplication::palette().color(QPalette::Button);
}

void applySkin(QWidget& window, const QString& programFolder, SkinFramework& skin) {
    const QString path = skinFilePath(programFolder);
    if (!skinFileCounts(path)) {
        return;
    }
    const QColor buttonFace = buttonFaceColour();
    paintButtonFace(window, buttonFace);
    const QList<QWidget*> controls = window.findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if (qobject_cast<QLabel*>(control) != nullptr ||
            qobject_cast<QGroupBox*>(control) != nullptr ||
            qobject_cast<QRadioButton*>(control) != nullptr ||
            qobject_cast<QCheckBox*>(control) != nullptr) {
            paintButtonFace(*control, buttonFace);
        }
    }
    skin.invoke(loadMethod, {path, QString()});
    const int options = skin.property(applyOptionsProperty).toInt();
    skin.setProperty(applyOptionsProperty, options | restyleControls);
    skin.setProperty(applyColoursProperty, true);
    skin.setProperty(applyMetricsProperty, true);
    skin.invoke(applyMethod, {static_cast<qint32>(static_cast<quint32>(window.winId()))});
}

} // namespace gridwork
