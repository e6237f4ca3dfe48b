#include "agendor/platform/memory/font.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <set>

namespace agendor::memory {
namespace {

std::string Folded(const std::string& text) {
    std::string out = text;
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

struct KnownFonts {
    std::mutex mutex;
    std::set<std::string> folded{"arial", "ms sans serif", "dejavu sans", "courier new", "times new roman"};
};

KnownFonts& Known() {
    static KnownFonts known;
    return known;
}

} // namespace

MemoryFont::MemoryFont(const std::string& name, double points, bool bold) : size_(8.25), bold_(bold) {
    if (!IsKnown(name) || !(points > 0)) throw Error(kInvalidPropertyValue);
    name_ = name;
    size_ = points;
}

void MemoryFont::SetName(const std::string& name) {
    if (!IsKnown(name)) throw Error(kInvalidPropertyValue);
    name_ = name;
}

void MemoryFont::SetSize(double points) {
    if (!(points > 0)) throw Error(kInvalidPropertyValue);
    size_ = points;
}

void MemoryFont::AddKnown(const std::string& name) {
    auto& known = Known();
    std::lock_guard lock(known.mutex);
    known.folded.insert(Folded(name));
}

bool MemoryFont::IsKnown(const std::string& name) {
    auto& known = Known();
    std::lock_guard lock(known.mutex);
    return known.folded.count(Folded(name)) != 0;
}

std::shared_ptr<MemoryFont> MemoryFont::CopyOf(const Font& font) {
    auto copy = std::make_shared<MemoryFont>();
    // The name of a foreign font may be unknown here; keep it all the same.
    copy->name_ = font.Name();
    copy->size_ = font.Size();
    copy->bold_ = font.Bold();
    return copy;
}

bool SameFont(const Font& a, const Font& b) {
    return Folded(a.Name()) == Folded(b.Name()) && a.Size() == b.Size() && a.Bold() == b.Bold();
}

} // namespace agendor::memory
