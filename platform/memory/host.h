#pragma once
// The host container, its property store and text metrics in memory.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "agendor/platform/host.h"
#include "agendor/platform/memory/font.h"

namespace agendor::memory {

// Records what the control tells its container and answers message boxes.
class MemoryContainer final : public Container {
public:
    MemoryContainer();

    void PropertyChanged(const std::string& name) override { changes_.push_back(name); }
    // Records the message, runs the modal loop (if one is set) and answers
    // with the next queued result, else Ok (Yes for a Yes/No box).
    MessageResult MessageBox(const Message& message) override;
    std::shared_ptr<Font> AmbientFont() override { return ambientFont_; }
    bool UserMode() const override { return userMode_; }

    void SetUserMode(bool userMode) { userMode_ = userMode; }
    void SetAmbientFont(std::shared_ptr<Font> font) { ambientFont_ = std::move(font); }
    void QueueAnswer(MessageResult result) { answers_.push_back(result); }
    void SetModalLoop(std::function<void()> loop) { modalLoop_ = std::move(loop); }

    // Property names in the order they were reported.
    const std::vector<std::string>& PropertyChanges() const { return changes_; }
    const std::vector<Message>& Messages() const { return messages_; }
    void ClearRecords();

private:
    std::vector<std::string> changes_;
    std::vector<Message> messages_;
    std::deque<MessageResult> answers_;
    std::shared_ptr<Font> ambientFont_;
    bool userMode_ = true;
    std::function<void()> modalLoop_;
};

// A written value equal to its default removes the key, so that reading it
// yields the default again. Values are equal when they hold the same
// alternative with the same value; fonts are equal by name (ignoring case),
// size and bold state, and a stored font is a copy taken when written.
class MemoryPropertyStore final : public PropertyStore {
public:
    PropertyValue Read(const std::string& key, const PropertyValue& defaultValue) override;
    void Write(const std::string& key, const PropertyValue& value, const PropertyValue& defaultValue) override;

    bool Contains(const std::string& key) const { return values_.count(key) != 0; }
    // Puts a value into the store as a stored instance would hold it.
    void Set(const std::string& key, PropertyValue value) { values_[key] = std::move(value); }
    const std::map<std::string, PropertyValue>& Values() const { return values_; }
    const std::vector<std::string>& WrittenKeys() const { return written_; }

private:
    std::map<std::string, PropertyValue> values_;
    std::vector<std::string> written_;
};

bool SamePropertyValue(const PropertyValue& a, const PropertyValue& b);

// Metrics by a fixed rule, so that layouts are the same on every machine:
//   width  = round(charWidth  × code points of the longest line × size / 8.25)
//   height = round(lineHeight × number of lines              × size / 8.25)
// with size the font's size in points, charWidth 90 and lineHeight 195
// twips by default (Arial 8.25 points), rounding halves to the even number.
// CR, LF and CR LF break lines and are not counted; a text with n CRs has
// n + 1 lines, the empty text one line. Bold and the face do not matter.
// A screen pixel is 15 twips in both directions.
class FixedTextMetrics final : public TextMetrics {
public:
    explicit FixedTextMetrics(Twips charWidth = 90, Twips lineHeight = 195, Twips twipsPerPixel = 15);
    Twips TextWidth(const Font& font, const std::string& text) const override;
    Twips TextHeight(const Font& font, const std::string& text) const override;
    Twips TwipsPerPixelX() const override { return twipsPerPixel_; }
    Twips TwipsPerPixelY() const override { return twipsPerPixel_; }

private:
    Twips charWidth_;
    Twips lineHeight_;
    Twips twipsPerPixel_;
};

} // namespace agendor::memory
