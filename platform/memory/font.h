#pragma once
// A font object in memory. The names a font accepts form a small set shared
// by the whole process: a few faces every desktop has ("Arial",
// "MS Sans Serif", "DejaVu Sans", "Courier New", "Times New Roman") and any
// name a test adds with AddKnown. Names compare without regard to ASCII case,
// as font faces do on the desktop.
#include <memory>
#include <string>

#include "agendor/platform/widgets.h"

namespace agendor::memory {

class MemoryFont final : public Font {
public:
    // Raises Error for an unknown name or a size of 0 points or less.
    explicit MemoryFont(const std::string& name = "Arial", double points = 8.25, bool bold = false);

    std::string Name() const override { return name_; }
    void SetName(const std::string& name) override;
    double Size() const override { return size_; }
    // Raises Error for 0 points or less; the size stays as it was then.
    void SetSize(double points) override;
    bool Bold() const override { return bold_; }
    void SetBold(bool bold) override { bold_ = bold; }
    std::shared_ptr<Font> Clone() const override { return CopyOf(*this); }

    // Makes name acceptable for every MemoryFont and MemoryPrinter from now on.
    static void AddKnown(const std::string& name);
    static bool IsKnown(const std::string& name);

    // A new font with the same name, size and bold state.
    static std::shared_ptr<MemoryFont> CopyOf(const Font& font);

private:
    std::string name_;
    double size_;
    bool bold_;
};

// Same name (ignoring ASCII case), size and bold state.
bool SameFont(const Font& a, const Font& b);

// The description of every refused property value.
inline constexpr const char* kInvalidPropertyValue = "Ungültiger Eigenschaftswert";

} // namespace agendor::memory
