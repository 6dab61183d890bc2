#pragma once

// The optional window skin: "x/o.cjs" below the program folder, applied at start-up.
//
// The skin file is a Qt style sheet (see look/style_sheet.h). The members of the component:
//   method 2   load(path, variant): reads and checks the file; the variant names a part of a
//              skin file with several looks, which ours do not have, so it must be empty.
//   property 1 apply options, an integer of flags. Bit 0 set: the skin restyles every control
//              in the window; clear: only the window's own surface. Other bits are kept but
//              mean nothing yet. Starts at 0.
//   property 5 apply colours (bool, starts false): the colour and background declarations of
//              the sheet take effect.
//   property 10 apply metrics (bool, starts false): fonts, paddings, margins, spacings, sizes,
//              radii and border widths take effect, the border shorthands ("border: 1px solid
//              red") included. Declarations that are neither (border styles, images, sub-control
//              placement) always take effect.
//   method 3   apply(window handle): restyles the program's window whose handle's low 32 bits
//              equal the argument with the loaded sheet, as the properties say at that moment.

#include "look/style_sheet.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <vector>

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

    /// The style sheet text that the last apply gave its window.
    const QString& appliedStyleSheet() const noexcept { return applied_; }

private:
    void load(const QVariantList& arguments);
    void apply(const QVariantList& arguments);

    bool loaded_ = false;
    std::vector<StyleRule> rules_;
    int applyOptions_ = 0;
    bool applyColours_ = false;
    bool applyMetrics_ = false;
    QString applied_;
};

/// The skin file's path below a program folder.
QString skinFilePath(const QString& programFolder);

/// Whether a skin file counts: an ordinary file, hidden neither itself nor, for a link, the file
/// it leads to.
bool skinFileCounts(const QString& path);

/// The button-face colour that the window, its labels and frames take when a skin applies.
QColor buttonFaceColour();

/// Applies the skin when its file counts (an ordinary, non-hidden file): the window, its labels
/// and frames take the button-face colour, then the component receives its calls in order.
/// A refusal propagates as std::runtime_error; colours set before it stay.
void applySkin(QWidget& window, const QString& programFolder, SkinFramework& skin);

} // namespace gridwork
