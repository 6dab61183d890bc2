#pragma once

// The optional window skin: "x/o.cjs" below the program folder, applied at start-up.

#include <QObject>
#include <QString>
#include <QVariant>
#include <QWidget>

namespace gridwork {

/// Our skin component. It is driven by dispatch numbers, exactly as start-up has always called
/// it: 2 load(path, ini), property 1 (flags), properties 5 and 10, 3 apply(window handle).
class SkinFramework : public QObject {
    Q_OBJECT
public:
    explicit SkinFramework(QObject* parent = nullptr);

    /// Calls a method by dispatch number; throws std::runtime_error when the skin is refused.
    QVariant invoke(int dispatchId, const QVariantList& arguments);
    QVariant property(int dispatchId) const;
    void setProperty(int dispatchId, const QVariant& value);
};

/// The skin file's path below a program folder.
QString skinFilePath(const QString& programFolder);

/// Applies the skin when its file counts (an ordinary, non-hidden file): the window, its labels
/// and frames take the button-face colour, then the component receives its calls in order.
/// A refusal propagates as std::runtime_error; colours set before it stay.
void applySkin(QWidget& window, const QString& programFolder, SkinFramework& skin);

} // namespace gridwork
