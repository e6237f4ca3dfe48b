#pragma once
// What the control needs of its host container: a property store, change
// notifications, modal message boxes, the ambient font, text metrics and the
// screen's pixel size.
#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include "agendor/platform/types.h"
#include "agendor/platform/widgets.h"

namespace agendor {

using PropertyValue = std::variant<bool, std::int32_t, double, std::string, std::shared_ptr<Font>>;

// The container's store of design-time properties. A written value equal to
// its default is not stored, so reading an absent key yields the default.
class PropertyStore {
public:
    virtual ~PropertyStore() = default;
    virtual PropertyValue Read(const std::string& key, const PropertyValue& defaultValue) = 0;
    virtual void Write(const std::string& key, const PropertyValue& value, const PropertyValue& defaultValue) = 0;
};

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageResult { Ok, Cancel, Yes, No };

struct Message {
    std::string text;
    std::string title;  // empty: the platform's default title for the component
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

// Measuring texts in a font, in twips. A text may hold CRs; each starts a
// new line, and the height counts all lines.
class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    virtual Twips TextWidth(const Font& font, const std::string& text) const = 0;
    virtual Twips TextHeight(const Font& font, const std::string& text) const = 0;
    virtual Twips TwipsPerPixelX() const = 0;
    virtual Twips TwipsPerPixelY() const = 0;
};

class Container {
public:
    virtual ~Container() = default;
    // Marks the named property as changed.
    virtual void PropertyChanged(const std::string& name) = 0;
    // Modal: runs the host's loop until closed.
    virtual MessageResult MessageBox(const Message& message) = 0;
    virtual std::shared_ptr<Font> AmbientFont() = 0;
    // The gate of the required-property check: true at normal run time.
    virtual bool UserMode() const { return true; }
};

} // namespace agendor
