#pragma once
// Fonts of the control over QFont. The control's font names come from
// another desktop ("MS Sans Serif", "Arial"); a name that is not installed
// is shown in an installed family that stands in for it.
#include <QFont>

#include <memory>
#include <string>

#include "agendor/platform/widgets.h"

namespace agendor::qt {

// The installed family that shows name: name itself when installed, else a
// stand-in for the usual names of sans-serif, serif and fixed fonts; empty
// when there is none.
QString InstalledFamily(const std::string& name);

class QtFont final : public Font {
public:
    // Raises Error when no installed family shows name.
    QtFont(const std::string& name, double points, bool bold = false);
    // A font as Qt has it; its family is its name.
    explicit QtFont(const QFont& font);

    std::string Name() const override { return name_; }
    void SetName(const std::string& name) override;
    double Size() const override { return qfont_.pointSizeF(); }
    void SetSize(double points) override;
    bool Bold() const override { return qfont_.bold(); }
    void SetBold(bool bold) override { qfont_.setBold(bold); }
    std::shared_ptr<Font> Clone() const override { return std::make_shared<QtFont>(*this); }

    const QFont& qfont() const { return qfont_; }

private:
    std::string name_;
    QFont qfont_;
};

// The QFont that shows font, whatever its implementation.
QFont ToQFont(const Font& font);

} // namespace agendor::qt
