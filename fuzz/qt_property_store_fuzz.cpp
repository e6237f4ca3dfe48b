// The Qt property store: an INI file of any content read by ReadProperties.
// It either restores every property or raises agendor::Error and leaves
// the control as it was; what it restored, written and read back through
// the store, gives the same properties.
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <tuple>

#include "agendor/control/agendor.h"
#include "agendor/control/instance_access.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/memory/surface.h"
#include "agendor/platform/qt/qt_host.h"

namespace {

using namespace agendor;

// Live until the process ends: Qt's own exit handlers still need the
// application object.
QGuiApplication* application = nullptr;
std::unique_ptr<QTemporaryDir> folder;

// The stored properties of a state, comparable.
auto Properties(const State& a) {
    return std::make_tuple(a.AllowPrint, a.AllowEdit, a.AllowChangeView, a.AllowScroll, a.DataSourcePerson,
                           a.FieldSourcePersonID, a.FieldSourcePerson, a.Header, a.DataSourceDates,
                           a.FieldDatesDateID, a.FieldDatesDate, a.FieldDatesPerson, a.BackColor, a.BackColorSel,
                           a.BackColorFixed, a.BackcolorPast, a.View, a.PublicHoliday, a.DateValue, a.Footnote);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application = new QGuiApplication(*argc, *argv);
    folder = std::make_unique<QTemporaryDir>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = folder->filePath("form.ini");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    memory::MemorySurface surface;
    Agendor control(surface.surface());
    const auto before = Properties(InstanceOf(control).state);
    {
        qt::QtPropertyStore store(path, "Agendor1");
        try {
            control.ReadProperties(store);
        } catch (const Error&) {
            if (Properties(InstanceOf(control).state) != before) std::abort();
            return 0;
        }
    }
    const DateTime restored = InstanceOf(control).state.DateValue;
    if (dt::Year(restored) < dt::kMinYear || dt::Year(restored) > dt::kMaxYear) std::abort();
    const QString again = folder->filePath("again.ini");
    QFile::remove(again);
    {
        qt::QtPropertyStore store(again, "Agendor1");
        control.WriteProperties(store);
        store.Sync();
    }
    memory::MemorySurface otherSurface;
    Agendor other(otherSurface.surface());
    qt::QtPropertyStore store(again, "Agendor1");
    other.ReadProperties(store);
    if (Properties(InstanceOf(other).state) != Properties(InstanceOf(control).state)) std::abort();
    return 0;
}
