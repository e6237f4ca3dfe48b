#pragma once
// The control as the tests over every engine set it up: new, at the worked
// layout's size, with the seven data properties of the test tables
// ("Personen" and "Termine" with a "Person" text).
#include "agendor/control/agendor.h"

namespace agendor::testing {

inline void SetUpTestControl(Agendor& control) {
    control.InitProperties();
    control.Resize(8175, 7185);
    control.SetDataSourcePerson("Personen");
    control.SetFieldSourcePersonID("PersonID");
    control.SetFieldSourcePerson("Name");
    control.SetDataSourceDates("Termine");
    control.SetFieldDatesDateID("TerminID");
    control.SetFieldDatesDate("Datum");
    control.SetFieldDatesPerson("Person");
}

} // namespace agendor::testing
