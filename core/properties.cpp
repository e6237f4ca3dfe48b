#include "agendor/core/properties.h"

#include <cmath>
#include <iterator>
#include <type_traits>
#include <utility>

#include "agendor/core/instance.h"
#include "agendor/core/date_time.h"

namespace agendor {

namespace {

#define AGENDOR_PROPERTY_INFO(Name, member, Type, Default, Key, ReadAt, RequiredAt, Use) \
    PropertyInfo{#Name, Key, ReadAt, RequiredAt, PropertyUse::Use, &State::member},
constexpr PropertyInfo kProperties[] = {AGENDOR_PROPERTIES(AGENDOR_PROPERTY_INFO)};
#undef AGENDOR_PROPERTY_INFO

const State& Defaults() {
    static const State defaults;
    return defaults;
}

template <typename T>
T Get(const PropertyValue& value) {
    if (const T* v = std::get_if<T>(&value)) return *v;
    if constexpr (std::is_same_v<T, double>) {
        if (const auto* i = std::get_if<std::int32_t>(&value)) return *i;
    }
    if constexpr (std::is_same_v<T, std::int32_t>) {
        if (const auto* d = std::get_if<double>(&value)) {
            if (std::isfinite(*d) && std::fabs(*d) < 2147483648.0) return static_cast<std::int32_t>(std::nearbyint(*d));
        }
    }
    throw Error("Typen unverträglich");
}

// The font the control keeps: its own copy of the container's ambient font,
// so that Fontsize and Fontname change neither the host's font nor the
// default WriteProperties compares with.
std::shared_ptr<Font> OwnCopy(std::shared_ptr<Font> font, const std::shared_ptr<Font>& ambient) {
    if (!font || font == ambient) return ambient ? ambient->Clone() : nullptr;
    return font;
}

// How a state value of each type is kept in the store: its default (the
// row's, or today and the ambient font, which hold at the moment of the
// call), the value written, and the value read back.
struct Store {
    const Instance& instance;
    std::shared_ptr<Font> ambient = instance.ui.container->AmbientFont();

    template <typename T>
    T Default(T State::*member) const {
        if constexpr (std::is_same_v<T, DateTime>) return instance.Today();
        else if constexpr (std::is_same_v<T, std::shared_ptr<Font>>) return ambient;
        else return Defaults().*member;
    }
    template <typename T>
    static PropertyValue Out(const T& value) {
        if constexpr (std::is_same_v<T, Colour> || std::is_same_v<T, std::int16_t>) return static_cast<std::int32_t>(value);
        else return value;
    }
    template <typename T>
    T In(const PropertyValue& value) const {
        if constexpr (std::is_same_v<T, Colour>) return static_cast<Colour>(Get<std::int32_t>(value));
        else if constexpr (std::is_same_v<T, std::int16_t>) {
            const std::int32_t v = Get<std::int32_t>(value);
            if (v < -32768 || v > 32767) throw Error("Überlauf");
            return static_cast<std::int16_t>(v);
        } else if constexpr (std::is_same_v<T, DateTime>) return CheckedDateValue(Get<double>(value));
        else if constexpr (std::is_same_v<T, std::shared_ptr<Font>>) return OwnCopy(Get<std::shared_ptr<Font>>(value), ambient);
        else return Get<T>(value);
    }
};

template <typename T>
constexpr bool kStorable = !std::is_same_v<T, std::shared_ptr<Database>> && !std::is_same_v<T, std::shared_ptr<Workspace>>;

// Calls visit(member) with the typed member pointer of each stored row.
template <typename Visit>
void ForStored(const PropertyInfo& row, Visit&& visit) {
    if (!row.key) return;
    std::visit(
        [&]<typename T>(T State::*member) {
            if constexpr (kStorable<T>) visit(member);
        },
        row.member);
}

} // namespace

std::span<const PropertyInfo> PropertyTable() { return kProperties; }

DateTime CheckedDateValue(DateTime value) {
    dt::ToYmd(value);
    return value;
}

void InitStoredProperties(Instance& instance) {
    const Store store{instance};
    for (const PropertyInfo& row : kProperties) {
        ForStored(row, [&]<typename T>(T State::*member) {
            if constexpr (std::is_same_v<T, std::shared_ptr<Font>>) instance.state.*member = OwnCopy(nullptr, store.ambient);
            else instance.state.*member = store.Default(member);
        });
    }
}

void ReadStoredProperties(Instance& instance, PropertyStore& from) {
    // Read into a fresh state first: a value that is refused leaves the
    // instance as it was.
    const Store store{instance};
    State read;
    for (int at = 1; at <= static_cast<int>(std::size(kProperties)); ++at) {
        for (const PropertyInfo& row : kProperties) {
            if (row.readAt != at) continue;
            ForStored(row, [&]<typename T>(T State::*member) {
                read.*member = store.In<T>(from.Read(row.key, Store::Out(store.Default(member))));
            });
        }
    }
    for (const PropertyInfo& row : kProperties) {
        ForStored(row, [&](auto member) { instance.state.*member = std::move(read.*member); });
    }
}

void WriteStoredProperties(const Instance& instance, PropertyStore& to) {
    const Store store{instance};
    for (const PropertyInfo& row : kProperties) {
        ForStored(row, [&](auto member) {
            to.Write(row.key, Store::Out(instance.state.*member), Store::Out(store.Default(member)));
        });
    }
}

const char* MissingRequiredProperty(const State& state) {
    for (int at = 1; at <= static_cast<int>(std::size(kProperties)); ++at) {
        for (const PropertyInfo& row : kProperties) {
            if (row.requiredAt != at) continue;
            const bool set = std::visit(
                [&]<typename T>(T State::*member) {
                    if constexpr (std::is_same_v<T, std::string>) return !(state.*member).empty();
                    else if constexpr (requires { (state.*member) != nullptr; }) return state.*member != nullptr;
                    else return true;
                },
                row.member);
            if (!set) return row.name;
        }
    }
    return nullptr;
}

} // namespace agendor
