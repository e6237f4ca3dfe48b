#include "agendor/platform/memory/host.h"

#include <cmath>

#include "agendor/platform/memory/utf8.h"

namespace agendor::memory {

MemoryContainer::MemoryContainer() : ambientFont_(std::make_shared<MemoryFont>("Arial", 8.25, false)) {}

MessageResult MemoryContainer::MessageBox(const Message& message) {
    messages_.push_back(message);
    if (modalLoop_) modalLoop_();
    if (!answers_.empty()) {
        const MessageResult answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    return message.buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
}

void MemoryContainer::ClearRecords() {
    changes_.clear();
    messages_.clear();
}

bool SamePropertyValue(const PropertyValue& a, const PropertyValue& b) {
    if (a.index() != b.index()) return false;
    if (const auto* fa = std::get_if<std::shared_ptr<Font>>(&a)) {
        const auto& fb = std::get<std::shared_ptr<Font>>(b);
        if (!*fa || !fb) return !*fa && !fb;
        return SameFont(**fa, *fb);
    }
    return a == b;
}

PropertyValue MemoryPropertyStore::Read(const std::string& key, const PropertyValue& defaultValue) {
    const auto found = values_.find(key);
    return found == values_.end() ? defaultValue : found->second;
}

void MemoryPropertyStore::Write(const std::string& key, const PropertyValue& value, const PropertyValue& defaultValue) {
    written_.push_back(key);
    if (SamePropertyValue(value, defaultValue)) {
        values_.erase(key);
        return;
    }
    if (const auto* font = std::get_if<std::shared_ptr<Font>>(&value); font && *font) {
        values_[key] = std::shared_ptr<Font>(MemoryFont::CopyOf(**font));
        return;
    }
    values_[key] = value;
}

FixedTextMetrics::FixedTextMetrics(Twips charWidth, Twips lineHeight, Twips twipsPerPixel)
    : charWidth_(charWidth), lineHeight_(lineHeight), twipsPerPixel_(twipsPerPixel) {}

namespace {

Twips Scaled(double twips, const Font& font) {
    return static_cast<Twips>(std::nearbyint(twips * font.Size() / 8.25));
}

} // namespace

Twips FixedTextMetrics::TextWidth(const Font& font, const std::string& text) const {
    return Scaled(static_cast<double>(charWidth_) * static_cast<double>(utf8::LongestLine(text)), font);
}

Twips FixedTextMetrics::TextHeight(const Font& font, const std::string& text) const {
    return Scaled(static_cast<double>(lineHeight_) * static_cast<double>(utf8::Lines(text).size()), font);
}

} // namespace agendor::memory
