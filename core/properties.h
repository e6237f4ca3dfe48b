#pragma once
// The control's 25 public properties, one row each. The state's members and
// their defaults, InitProperties, ReadProperties, WriteProperties, the
// required-property check and SetDataProperty are all taken from this list,
// so a new property is one row plus its behaviour (its getter and setter).
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <variant>

#include "agendor/platform/types.h"

namespace agendor {

class Database;
class Font;
class Workspace;
struct State;

// X(Name, member, Type, Default, Key, ReadAt, RequiredAt, Use), in the order
// WriteProperties writes the keys.
//   Name        the property: getter Name(), setter SetName(), PropertyChanged
//               and the Qt property under this name
//   member      the member of State that backs it
//   Default     its default; DateValue's is today's date, Font's a copy of
//               the container's ambient font
//   Key         the property-store key (BackcolorPast is kept as
//               "BackColorPast"); nullptr: never stored
//   ReadAt      ReadProperties reads the keys in this order, 1 first
//   RequiredAt  CheckRequiredProperties tests in this order; 0: not required
//   Use         see PropertyUse
#define AGENDOR_PROPERTIES(X)                                                                                   \
    X(AllowPrint, AllowPrint, bool, true, "AllowPrint", 1, 0, Stored)                                           \
    X(AllowEdit, AllowEdit, bool, true, "AllowEdit", 2, 0, Stored)                                              \
    X(AllowChangeView, AllowChangeView, bool, true, "AllowChangeView", 3, 0, Stored)                            \
    X(AllowScroll, AllowScroll, bool, true, "AllowScroll", 4, 0, Stored)                                        \
    X(DataSourcePerson, DataSourcePerson, std::string, "", "DataSourcePerson", 5, 1, Data)                      \
    X(FieldSourcePersonID, FieldSourcePersonID, std::string, "", "FieldSourcePersonID", 6, 3, Data)             \
    X(FieldSourcePerson, FieldSourcePerson, std::string, "", "FieldSourcePerson", 7, 2, Data)                   \
    X(DataSourceDates, DataSourceDates, std::string, "", "DataSourceDates", 9, 4, Data)                         \
    X(FieldDatesDateID, FieldDatesDateID, std::string, "", "FieldDatesDateID", 10, 6, Data)                     \
    X(FieldDatesDate, FieldDatesDate, std::string, "", "FieldDatesDate", 11, 5, Data)                           \
    X(FieldDatesPerson, FieldDatesPerson, std::string, "", "FieldDatesPerson", 12, 0, Data)                     \
    X(Header, Header, std::string, "Kontakt", "Header", 8, 0, Stored)                                           \
    X(BackColor, BackColor, Colour, 0xFFFFFF, "BackColor", 13, 0, Stored)                                       \
    X(BackColorSel, BackColorSel, Colour, 0xC0FFFF, "BackColorSel", 14, 0, Stored)                              \
    X(BackColorFixed, BackColorFixed, Colour, 0xC0C0C0, "BackColorFixed", 15, 0, Stored)                        \
    X(BackcolorPast, BackcolorPast, Colour, 0xDCDCDC, "BackColorPast", 16, 0, Stored)                           \
    X(Font, font, std::shared_ptr<Font>, nullptr, "Font", 21, 0, Stored)                                        \
    X(View, View, std::int16_t, agMonat, "View", 17, 0, Stored)                                                 \
    X(PublicHoliday, PublicHoliday, bool, true, "PublicHoliday", 18, 0, Stored)                                 \
    X(DateValue, DateValue, DateTime, 0, "DateValue", 19, 0, Stored)                                            \
    X(Footnote, Footnote, std::string, "", "Footnote", 20, 0, Stored)                                           \
    X(Fontname, Fontname, std::string, "", nullptr, 0, 0, FontView)                                             \
    X(Fontsize, Fontsize, std::int16_t, 0, nullptr, 0, 0, FontView)                                             \
    X(Workspace, workspace, std::shared_ptr<Workspace>, nullptr, nullptr, 0, 7, HostObject)                     \
    X(Database, database, std::shared_ptr<Database>, nullptr, nullptr, 0, 8, HostObject)

// The member declarations of State, with their defaults.
#define AGENDOR_PROPERTY_MEMBER(Name, member, Type, Default, Key, ReadAt, RequiredAt, Use) Type member = Default;

enum class PropertyUse {
    Stored,      // kept in the property store
    Data,        // stored, and a name SetDataProperty takes
    FontView,    // the name or size of Font, kept beside it; not stored
    HostObject,  // handed over by the host at run time; neither stored nor a Qt property
};

using PropertyMember =
    std::variant<bool State::*, std::int16_t State::*, Colour State::*, DateTime State::*, std::string State::*,
                 std::shared_ptr<Font> State::*, std::shared_ptr<Workspace> State::*, std::shared_ptr<Database> State::*>;

struct PropertyInfo {
    const char* name;
    const char* key;  // nullptr: not stored
    int readAt;
    int requiredAt;
    PropertyUse use;
    PropertyMember member;
};

// The rows of AGENDOR_PROPERTIES in their order.
std::span<const PropertyInfo> PropertyTable();

struct Instance;
class PropertyStore;

// Every stored property to its default (InitProperties).
void InitStoredProperties(Instance& instance);
// The stored properties read from store in their order; a value that is
// refused raises Error and leaves the state as it was.
void ReadStoredProperties(Instance& instance, PropertyStore& store);
void WriteStoredProperties(const Instance& instance, PropertyStore& store);
// The first required property that is not set, in the order of the check;
// nullptr when all are set.
const char* MissingRequiredProperty(const State& state);

// A selected day has a sheet only within the calendar: NaN, infinities and
// days outside 1 Jan 100 .. 31 Dec 9999 are refused where they come in,
// before the control holds them.
DateTime CheckedDateValue(DateTime value);

} // namespace agendor
