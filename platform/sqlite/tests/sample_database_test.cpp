#include "agendor/platform/sqlite/sample_database.h"

#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "agendor/core/date_time.h"
#include "agendor/platform/sqlite/sqlite_database.h"
#include "test_files.h"
#include "tests/support/error_of.h"

namespace agendor::sqlite {
namespace {

using testing::TempFolder;

std::string Property(const DataProperties& properties, const std::string& name) {
    for (const DataProperty& p : properties)
        if (p.name == name) return p.value;
    return "(missing)";
}

SampleOptions SmallYear(std::uint64_t seed = 7, DateStorage storage = DateStorage::Real) {
    return {.persons = 20, .appointments = 2000, .fromYear = 2024, .toYear = 2024, .seed = seed, .dateStorage = storage};
}

// Every appointment of the sample, read through the control's own queries.
std::vector<std::pair<double, std::string>> MonthByMonth(Database& db, const DataProperties& p, int year) {
    const std::string t = Property(p, "DataSourceDates");
    const std::string f = Property(p, "FieldDatesDate");
    std::vector<std::pair<double, std::string>> all;
    for (int month = 1; month <= 12; ++month) {
        const std::string start = std::to_string(month) + "/01/" + std::to_string(year);
        const std::string end = month == 12 ? "1/01/" + std::to_string(year + 1)
                                            : std::to_string(month + 1) + "/01/" + std::to_string(year);
        const std::string text = "SELECT *  From " + t + " WHERE (((" + t + "." + f + ")>=#" + start + "# And (" +
                                 t + "." + f + ")<#" + end + "#)) ORDER BY " + t + "." + f;
        auto query = db.CreateQueryDef("", text);
        for (auto records = query->OpenRecordset(); !records->IsEOF(); records->MoveNext())
            all.emplace_back(records->Field(f).AsDateTime(),
                             records->Field(Property(p, "FieldDatesPerson")).AsText());
    }
    return all;
}

TEST(SampleDatabase, HoldsAppointmentsInWorkingHoursWithSomeDaysOverFull) {
    TempFolder folder;
    const std::string path = folder.File("beispiel.sqlite");
    const DataProperties properties = CreateSampleDatabase(path, SmallYear());
    EXPECT_EQ(FormatDataProperties(properties),
              "DataSourcePerson=Personen\nFieldSourcePersonID=PersonID\nFieldSourcePerson=Name\n"
              "DataSourceDates=Termine\nFieldDatesDateID=TerminID\nFieldDatesDate=Datum\nFieldDatesPerson=Name\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));

    auto db = SqliteDatabase::Open(path);
    const auto appointments = MonthByMonth(*db, properties, 2024);
    ASSERT_EQ(appointments.size(), 2000u);
    std::map<long, int> perDay;
    for (const auto& [when, person] : appointments) {
        const dt::Hms time = dt::TimeOf(when);
        EXPECT_LE(dt::Weekday(when), 5);
        EXPECT_GE(time.hour, 8);
        EXPECT_LE(time.hour * 60 + time.minute, 17 * 60 + 45);
        EXPECT_EQ(time.minute % 15, 0);
        EXPECT_FALSE(person.empty());
        ++perDay[dt::DayNumber(when)];
    }
    int busiest = 0;
    for (const auto& [day, count] : perDay) busiest = std::max(busiest, count);
    // 2000 appointments on 262 working days are about 6 a day on average.
    EXPECT_GE(busiest, 25);

    // The persons query of the control, with every id read as an integer.
    const std::string p = Property(properties, "DataSourcePerson");
    const std::string n = Property(properties, "FieldSourcePerson");
    const std::string i = Property(properties, "FieldSourcePersonID");
    auto persons = db->OpenRecordset("SELECT " + p + "." + n + "," + p + "." + i + " From " + p + " ORDER BY " + p +
                                         "." + n,
                                     RecordsetType::Snapshot);
    persons->MoveLast();
    EXPECT_EQ(persons->RecordCount(), 20);
    persons->MoveFirst();
    for (; !persons->IsEOF(); persons->MoveNext()) {
        EXPECT_FALSE(persons->Field(n).AsText().empty());
        EXPECT_GE(persons->Field(i).AsInt32(), 1);
    }
}

TEST(SampleDatabase, TheSameSeedGivesTheSameAppointmentsInEitherDateStorage) {
    TempFolder folder;
    const auto sample = [&](const std::string& name, std::uint64_t seed, DateStorage storage) {
        const DataProperties properties = CreateSampleDatabase(folder.File(name), SmallYear(seed, storage));
        return MonthByMonth(*SqliteDatabase::Open(folder.File(name), {.dateStorage = storage}), properties, 2024);
    };
    const auto a = sample("a.sqlite", 7, DateStorage::Real);
    EXPECT_EQ(sample("b.sqlite", 7, DateStorage::Real), a);
    EXPECT_NE(sample("other.sqlite", 8, DateStorage::Real), a);
    const auto fromText = sample("iso.sqlite", 7, DateStorage::IsoText);
    ASSERT_EQ(fromText.size(), a.size());
    for (std::size_t k = 0; k < a.size(); ++k) {
        EXPECT_NEAR(fromText[k].first, a[k].first, 1e-9);
        EXPECT_EQ(fromText[k].second, a[k].second);
    }
}

TEST(SampleDatabase, AnExistingFileIsKeptUnlessReplacingIsAsked) {
    TempFolder folder;
    const std::string path = folder.File("vorhanden.sqlite");
    std::ofstream(path) << "Daten des Gastgebers";
    EXPECT_EQ(ErrorOf([&] { CreateSampleDatabase(path, SmallYear()); }),
              "Die Datei " + path + " gibt es schon; sie wird nicht überschrieben.");
    EXPECT_EQ(std::filesystem::file_size(path), 20u);

    SampleOptions replacing = SmallYear();
    replacing.replaceExisting = true;
    CreateSampleDatabase(path, replacing);
    EXPECT_EQ(SqliteDatabase::Open(path)->OpenRecordset("SELECT * From Personen")->IsEOF(), false);
}

TEST(SampleDatabase, RefusesOptionsOutsideTheirRange) {
    TempFolder folder;
    const std::string path = folder.File("nie.sqlite");
    auto attempt = [&](auto change) {
        SampleOptions options = SmallYear();
        change(options);
        return ErrorOf([&] { CreateSampleDatabase(path, options); });
    };
    EXPECT_EQ(attempt([](SampleOptions& o) { o.persons = 0; }), "Ungültige Anzahl Personen 0: erlaubt sind 1 bis 32767.");
    EXPECT_EQ(attempt([](SampleOptions& o) { o.persons = 32768; }),
              "Ungültige Anzahl Personen 32768: erlaubt sind 1 bis 32767.");
    EXPECT_EQ(attempt([](SampleOptions& o) { o.appointments = -1; }),
              "Ungültige Anzahl Termine -1: erlaubt sind 0 bis 50000000.");
    EXPECT_EQ(attempt([](SampleOptions& o) { o.fromYear = 2025; }),
              "Ungültige Jahre 2025 bis 2024: erlaubt sind Jahre von 100 bis 9999, das erste nicht nach dem letzten.");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(DataPropertiesText, ReadsWhatIsWrittenAndToleratesCommentsBlanksAndCarriageReturns) {
    const DataProperties written = {{"DataSourcePerson", "Personen"}, {"FieldDatesDate", "[Beginn am]"},
                                    {"FieldDatesPerson", "a=b"}};
    std::istringstream same(FormatDataProperties(written));
    EXPECT_EQ(ReadDataProperties(same), written);

    std::istringstream loose("# Beispiel\r\n\r\n  DataSourceDates = Termine \r\nFieldDatesDateID=\n");
    EXPECT_EQ(ReadDataProperties(loose),
              (DataProperties{{"DataSourceDates", "Termine"}, {"FieldDatesDateID", ""}}));
}

TEST(DataPropertiesText, NamesTheLineOfEachFault) {
    auto read = [](const std::string& text) {
        std::istringstream in(text);
        return ErrorOf([&] { ReadDataProperties(in); });
    };
    EXPECT_EQ(read("DataSourceDates=Termine\nFieldDatesDate Datum\n"),
              "Zeile 2: erwartet wird Eigenschaft=Wert, gefunden: FieldDatesDate Datum");
    EXPECT_EQ(read("DataSourceDate=Termine\n"),
              "Zeile 1: DataSourceDate ist keine Dateneigenschaft (erlaubt: DataSourcePerson, FieldSourcePersonID, "
              "FieldSourcePerson, DataSourceDates, FieldDatesDateID, FieldDatesDate, FieldDatesPerson).");
    EXPECT_EQ(read("FieldDatesDate=Datum\n\nFieldDatesDate=Beginn\n"), "Zeile 3: FieldDatesDate ist schon gesetzt.");
}

} // namespace
} // namespace agendor::sqlite
