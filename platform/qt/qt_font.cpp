#include "agendor/platform/qt/qt_font.h"

#include <QFontDatabase>

#include <array>
#include <utility>

#include "agendor/platform/qt/qt_common.h"

namespace agendor::qt {

namespace {

constexpr const char* kFontNotFound = "Schriftart nicht gefunden";

// Common names of other desktops, lower case, and the installed families
// tried for them in order.
struct StandIn {
    const char* name;
    std::array<const char*, 3> families;
};
// The condensed DejaVu face comes closest to Arial's widths, so day cells
// cut their lines about where the designed font would.
constexpr StandIn kStandIns[] = {
    {"ms sans serif", {"Liberation Sans", "DejaVu Sans Condensed", "DejaVu Sans"}},
    {"microsoft sans serif", {"Liberation Sans", "DejaVu Sans Condensed", "DejaVu Sans"}},
    {"arial", {"Liberation Sans", "DejaVu Sans Condensed", "DejaVu Sans"}},
    {"helvetica", {"Liberation Sans", "DejaVu Sans Condensed", "DejaVu Sans"}},
    {"tahoma", {"DejaVu Sans Condensed", "Liberation Sans", "DejaVu Sans"}},
    {"verdana", {"DejaVu Sans", "Liberation Sans", "FreeSans"}},
    {"segoe ui", {"DejaVu Sans", "Liberation Sans", "FreeSans"}},
    {"times new roman", {"Liberation Serif", "DejaVu Serif", "FreeSerif"}},
    {"ms serif", {"Liberation Serif", "DejaVu Serif", "FreeSerif"}},
    {"courier new", {"Liberation Mono", "DejaVu Sans Mono", "FreeMono"}},
    {"courier", {"Liberation Mono", "DejaVu Sans Mono", "FreeMono"}},
};

bool Installed(const QString& family) { return QFontDatabase::hasFamily(family); }

} // namespace

QString InstalledFamily(const std::string& name) {
    const QString family = Q(name).trimmed();
    if (family.isEmpty()) return {};
    if (Installed(family)) return family;
    const std::string lower = S(family.toLower());
    for (const StandIn& standIn : kStandIns) {
        if (lower != standIn.name) continue;
        for (const char* candidate : standIn.families)
            if (Installed(QString::fromLatin1(candidate))) return QString::fromLatin1(candidate);
    }
    return {};
}

QtFont::QtFont(const std::string& name, double points, bool bold) {
    SetName(name);
    SetSize(points);
    qfont_.setBold(bold);
}

QtFont::QtFont(const QFont& font) : name_(S(font.family())), qfont_(font) {
    if (qfont_.pointSizeF() <= 0) qfont_.setPointSizeF(8.25);
}

void QtFont::SetName(const std::string& name) {
    const QString family = InstalledFamily(name);
    if (family.isEmpty()) throw Error(kFontNotFound);
    name_ = name;
    qfont_.setFamilies({family});
    qfont_.setFamily(family);
}

void QtFont::SetSize(double points) {
    if (!(points > 0) || points > 2160) throw Error(kInvalidPropertyValue);
    qfont_.setPointSizeF(points);
}

QFont ToQFont(const Font& font) {
    if (const auto* qtFont = dynamic_cast<const QtFont*>(&font)) return qtFont->qfont();
    QFont q;
    const QString family = InstalledFamily(font.Name());
    if (!family.isEmpty()) q.setFamily(family);
    if (font.Size() > 0) q.setPointSizeF(font.Size());
    q.setBold(font.Bold());
    return q;
}

} // namespace agendor::qt
