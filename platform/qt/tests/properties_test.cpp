// AgendorWidget's Qt properties: Qt's types for the control's values,
// NOTIFY signals from PropertyChanged, the font shared with QWidget, and
// the view kept from a form before the first sheet is built.
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include "agendor/control/agendor.h"
#include "agendor/core/properties.h"
#include "agendor/core/instance.h"
#include "agendor/core/date_time.h"
#include "agendor/platform/qt/agendor_widget.h"
#include "agendor/platform/qt/qt_common.h"
#include "agendor/platform/qt/qt_date_time.h"
#include "agendor/platform/qt/qt_font.h"
#include "agendor/platform/qt/qt_surface.h"

namespace agendor::qt {
namespace {

TEST(QtDateTime, ConvertsBothWays) {
    const std::pair<DateTime, QDateTime> cases[] = {
        {0.0, QDateTime(QDate(1899, 12, 30), QTime(0, 0))},
        // Before day zero the fraction still counts forward from midnight.
        {-1.25, QDateTime(QDate(1899, 12, 29), QTime(6, 0))},
        // 10:15 is no binary fraction; it must not come out as 10:14:59.999.
        {dt::FromYmdHms(2027, 3, 17, 10, 15, 0), QDateTime(QDate(2027, 3, 17), QTime(10, 15))},
        {dt::FromYmdHms(2001, 11, 14, 23, 59, 59.5), QDateTime(QDate(2001, 11, 14), QTime(23, 59, 59, 500))},
        {dt::FromYmd(100, 1, 1), QDateTime(QDate(100, 1, 1), QTime(0, 0))},
        {dt::FromYmd(9999, 12, 31), QDateTime(QDate(9999, 12, 31), QTime(0, 0))}};
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(ToQDateTime(value), expected);
        EXPECT_NEAR(FromQDateTime(expected), value, 1e-9);
        EXPECT_EQ(ToQDate(value), expected.date());
        EXPECT_EQ(FromQDate(expected.date()), dt::DateOnly(value));
    }
}

TEST(QtDateTime, ReadsTheWallClockOfAnyTimeSpecAndRefusesWhatIsNoDate) {
    const QDateTime utc(QDate(2027, 3, 28), QTime(2, 30), Qt::UTC);  // an hour Berlin skips
    EXPECT_NEAR(FromQDateTime(utc), dt::FromYmdHms(2027, 3, 28, 2, 30, 0), 1e-9);
    EXPECT_THROW(FromQDateTime(QDateTime()), Error);
    EXPECT_THROW(FromQDate(QDate()), Error);
    EXPECT_THROW(FromQDate(QDate(99, 12, 31)), Error);
    EXPECT_THROW(ToQDateTime(std::nan("")), Error);
}

class PropertiesTest : public ::testing::Test {
protected:
    PropertiesTest() {
        widget.surface().container.SetAnswerer([this](const Message& m) {
            boxes.push_back(m.text);
            return MessageResult::Ok;
        });
        widget.resize(700, 560);
    }
    bool SheetBuilt() { return widget.surface().lblMonat->Caption() != "Monat Jahr"; }

    AgendorWidget widget;
    std::vector<std::string> boxes;
};

// The widget's Qt properties are the rows of the control's property table
// (all but the host's Database and Workspace), each writable and notifying
// <Name>Changed once per change; a new widget shows the table's defaults.
TEST_F(PropertiesTest, TheQtPropertiesAreTheTablesWithItsDefaults) {
    const QMetaObject* meta = widget.metaObject();
    QStringList widgetNames, tableNames;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) widgetNames << meta->property(i).name();
    const State defaults;
    int n = 0;
    for (const PropertyInfo& row : PropertyTable()) {
        if (row.use == PropertyUse::HostObject) continue;
        SCOPED_TRACE(row.name);
        tableNames << row.name;
        const QMetaProperty p = meta->property(meta->indexOfProperty(row.name));
        ASSERT_TRUE(p.isValid() && p.isWritable());
        EXPECT_EQ(QString(p.notifySignal().name()), QString(row.name) + "Changed");
        const QVariant value = widget.property(row.name);
        QVariant changed;
        std::visit([&]<typename T>(T State::*member) {
            const T def = defaults.*member;
            if constexpr (std::is_same_v<T, bool>) {
                EXPECT_EQ(value.toBool(), def);
                changed = !def;
            } else if constexpr (std::is_same_v<T, Colour>) {
                EXPECT_EQ(value.value<QColor>(), ToQColor(def));
                changed = ToQColor(0x102030 + ++n);
            } else if constexpr (std::is_same_v<T, std::string>) {
                if (row.use != PropertyUse::FontView) {
                    EXPECT_EQ(value.toString(), Q(def));
                }
                changed = row.use == PropertyUse::FontView ? QString("Courier New") : QString(row.name) + " ä";
            } else if constexpr (std::is_same_v<T, std::int16_t>) {
                if (row.use != PropertyUse::FontView) {
                    EXPECT_EQ(value.toInt(), def);
                }
                changed = row.use == PropertyUse::FontView ? 17 : 1;
            } else if constexpr (std::is_same_v<T, DateTime>) {
                changed = QDate(2027, 3, 17);
            } else {
                changed = QFont("Courier New", 15);
            }
        }, row.member);
        QSignalSpy notified(&widget, p.notifySignal());
        EXPECT_TRUE(widget.setProperty(row.name, changed));
        EXPECT_EQ(notified.count(), 1);
        const QVariant now = widget.property(row.name);
        if (p.typeId() == QMetaType::QFont) {
            EXPECT_EQ(now.value<QFont>().pointSize(), 15);
        } else {
            EXPECT_EQ(p.isEnumType() ? QString::number(now.toInt()) : now.toString(), changed.toString());
        }
    }
    // Which properties, not in which order.
    widgetNames.sort();
    tableNames.sort();
    EXPECT_EQ(widgetNames, tableNames);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
}

// The Qt types mean the control's values, which a round trip through the
// Qt property alone would not show.
TEST_F(PropertiesTest, QtTypesReachTheControl) {
    EXPECT_TRUE(widget.setProperty("BackColorSel", QColor(255, 0, 0)));
    EXPECT_EQ(widget.control().BackColorSel(), 0x0000FFu);  // red in the low byte
    widget.setProperty("DateValue", QDate(2027, 3, 17));
    EXPECT_EQ(widget.control().DateValue(), dt::FromYmd(2027, 3, 17));
}

TEST_F(PropertiesTest, TheWidgetsFontIsTheControlsFont) {
    QSignalSpy font(&widget, &AgendorWidget::FontChanged);
    QSignalSpy size(&widget, &AgendorWidget::FontsizeChanged);
    QFont f = widget.font();
    f.setPointSize(14);
    widget.setFont(f);
    EXPECT_EQ(widget.control().Fontsize(), 14);
    EXPECT_EQ(widget.Font().pointSize(), 14);
    EXPECT_EQ(font.count(), 1);
    EXPECT_EQ(size.count(), 1);

    widget.setFontsize(9);
    EXPECT_EQ(widget.font().pointSize(), 9);
    EXPECT_EQ(widget.property("Fontsize").toInt(), 9);
    // A font object the host hands over stays the control's Font, though
    // the widget's font follows it.
    const auto own = std::make_shared<QtFont>("Arial", 12);
    widget.control().SetFont(own);
    EXPECT_EQ(widget.control().Font(), own);
    EXPECT_EQ(widget.font().pointSize(), 12);

    // Out of the control's 16-bit range: refused with its box.
    widget.setFontsize(40000);
    EXPECT_EQ(widget.Fontsize(), 12);
    ASSERT_EQ(boxes.size(), 1u);
}

TEST_F(PropertiesTest, ViewWaitsForTheFirstSheetThenRebuildsIt) {
    QSignalSpy view(&widget, &AgendorWidget::ViewChanged);
    widget.setView(AgendorWidget::agWoche);
    EXPECT_EQ(widget.control().View(), agWoche);
    EXPECT_TRUE(widget.surface().Toolbar2->Button(agWoche).pressed);
    EXPECT_EQ(view.count(), 1);
    EXPECT_FALSE(SheetBuilt());
    EXPECT_TRUE(boxes.empty());

    // Once a sheet is shown, View rebuilds it (and asks for what is missing).
    widget.SetDesignMode(true);
    EXPECT_TRUE(SheetBuilt());
    widget.SetDesignMode(false);
    widget.setView(AgendorWidget::agMonat);
    EXPECT_EQ(widget.control().View(), agMonat);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Set Property <DataSourcePerson> first!");

    // A view without a toolbar button is refused and changes nothing.
    boxes.clear();
    widget.setProperty("View", 7);
    EXPECT_EQ(widget.View(), AgendorWidget::agMonat);
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(PropertiesTest, DesignModeShowsTheSheetOverNoDatabaseAndFollowsEachChange) {
    widget.setDataSourceDates("Termine");
    widget.setFieldDatesDateID("TerminID");
    widget.setDateValue(QDate(2027, 2, 10));
    widget.SetDesignMode(true);
    EXPECT_TRUE(widget.DesignMode());
    EXPECT_EQ(widget.surface().lblMonat->Caption(), "Februar 2027");
    widget.setDateValue(QDate(2027, 5, 1));
    EXPECT_EQ(widget.surface().lblMonat->Caption(), "Mai 2027");
    EXPECT_TRUE(boxes.empty());
    widget.SetDesignMode(false);
    EXPECT_FALSE(widget.DesignMode());
    EXPECT_EQ(widget.control().Database(), nullptr);
}

} // namespace
} // namespace agendor::qt
