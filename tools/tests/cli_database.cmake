# agendor-cli against a real SQLite file: creates the sample database, then
# checks the sheet with its appointment lines and markers, the day grid, and
# that failures of the database reach the exit status. Called by CTest as
#   cmake -DCLI=<binary> -DWORK_DIR=<dir> -P cli_database.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(db "${WORK_DIR}/sample.db")

function(run_cli expected_rc out_var)
  execute_process(COMMAND "${CLI}" ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc STREQUAL "${expected_rc}")
    message(FATAL_ERROR "agendor-cli ${ARGN}: exit status ${rc}, expected ${expected_rc}\n${out}\n${err}")
  endif()
  if(NOT expected_rc EQUAL 0 AND NOT err MATCHES "^agendor-cli: [^\n]+\n$")
    message(FATAL_ERROR "agendor-cli ${ARGN}: stderr is not one line:\n${err}")
  endif()
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${out_var}_ERR "${err}" PARENT_SCOPE)
endfunction()

function(expect_match text regex what)
  if(NOT text MATCHES "${regex}")
    message(FATAL_ERROR "${what}: no match for '${regex}' in:\n${text}")
  endif()
endfunction()

# A busy March 2026: 3000 appointments in one year, so some days overflow.
run_cli(0 properties sample --db "${db}" --persons 20 --appointments 3000 --from 2026 --to 2026 --seed 7)
expect_match("${properties}" "^DataSourcePerson=[^\n]+\nFieldSourcePersonID=[^\n]+\nFieldSourcePerson=[^\n]+\nDataSourceDates=[^\n]+\nFieldDatesDateID=[^\n]+\nFieldDatesDate=[^\n]+\nFieldDatesPerson=[^\n]*\n$" "sample properties")
file(WRITE "${WORK_DIR}/sample.properties" "${properties}")

# An existing file is not overwritten.
run_cli(2 again sample --db "${db}")

# The sheet: the given properties and the defaults (the sample's) agree.
run_cli(0 sheet sheet --db "${db}" --properties "${WORK_DIR}/sample.properties" --date 10.03.2026 --today 01.03.2026)
run_cli(0 sheet_defaults sheet --db "${db}" --date 10.03.2026 --today 01.03.2026)
if(NOT sheet STREQUAL sheet_defaults)
  message(FATAL_ERROR "the sample's properties and the defaults give different sheets")
endif()
expect_match("${sheet}" "^März 2026\nMo\tDi\tMi\tDo\tFr\tSa\tSo\n" "sheet heading")
# 10 March is cell (2, 1): its day number, then appointment lines "hh:mm person".
expect_match("${sheet}" "\n9(\\\\n[^\t\n]*)*\t10(\\\\n[0-2][0-9]:[0-5][0-9] [^\t\n]*)+\t" "appointment lines of 10 March")
expect_match("${sheet}" "\nmarker\t[1-6]\t[0-6]\t[1-9][0-9]?\n" "marker lines")
string(REGEX MATCHALL "marker\t[^\n]*" markers "${sheet}")
foreach(marker IN LISTS markers)
  if(NOT marker MATCHES "^marker\t[1-6]\t[0-6]\t[1-9][0-9]?$")
    message(FATAL_ERROR "malformed marker line '${marker}'")
  endif()
endforeach()

# The day grid of 10 March: title, headings, rows in time order.
run_cli(0 day day --db "${db}" --date 10.03.2026 --today 01.03.2026)
string(REPLACE "\n" ";" day_lines "${day}")
list(POP_FRONT day_lines title headings)
if(NOT title STREQUAL "Di, 10.03.26" OR NOT headings STREQUAL "Zeit\tKontakt\t\t")
  message(FATAL_ERROR "day grid title or headings wrong:\n${day}")
endif()
list(LENGTH day_lines rows)
if(rows LESS 1)
  message(FATAL_ERROR "the day grid of 10 March is empty:\n${day}")
endif()
set(previous "")
foreach(line IN LISTS day_lines)
  if(NOT line MATCHES "^([0-2][0-9]:[0-5][0-9])\t[^\t]*\t10\\.03\\.2026 ([0-2][0-9]:[0-5][0-9]):[0-5][0-9]\t[0-9]+$")
    message(FATAL_ERROR "malformed day grid row '${line}'")
  endif()
  if(NOT CMAKE_MATCH_1 STREQUAL CMAKE_MATCH_2)
    message(FATAL_ERROR "shown time and stored time differ in '${line}'")
  endif()
  if(CMAKE_MATCH_1 STRLESS previous)
    message(FATAL_ERROR "day grid rows out of time order at '${line}'")
  endif()
  set(previous "${CMAKE_MATCH_1}")
endforeach()

# The same sample with dates stored as ISO 8601 text shows the same sheet.
run_cli(0 ignored sample --db "${WORK_DIR}/iso.db" --persons 20 --appointments 3000 --from 2026 --to 2026 --seed 7 --date-storage iso)
run_cli(0 sheet_iso sheet --db "${WORK_DIR}/iso.db" --date-storage iso --date 10.03.2026 --today 01.03.2026)
if(NOT sheet_iso STREQUAL sheet)
  message(FATAL_ERROR "the ISO-text sample shows another sheet:\n${sheet_iso}")
endif()

# The person list in the control's order: German order of names, ids beside them.
set(people "${WORK_DIR}/people.db")
execute_process(COMMAND sqlite3 "${people}"
  "CREATE TABLE Leute (Nr INTEGER, Name TEXT); CREATE TABLE Termine (TerminID INTEGER PRIMARY KEY, Datum REAL, Person TEXT); INSERT INTO Leute VALUES (100, 'Özdemir'), (101, 'Äbel'), (102, 'van Dijk'), (103, 'de Vries'), (104, 'albers'), (105, 'Zander'), (106, 'Vogel'), (107, 'Strauß'), (108, 'Strauss'), (109, 'Straub'), (110, 'Ostermann'), (111, 'Müller'), (112, 'Möller'), (113, 'Muller'), (114, 'Mueller'), (115, 'Moller'), (116, 'Dehmel'), (117, 'Albers'), (118, 'Abel');"
  RESULT_VARIABLE sqlite_rc)
if(NOT sqlite_rc EQUAL 0)
  message(FATAL_ERROR "sqlite3 could not build ${people}")
endif()
file(WRITE "${WORK_DIR}/people.properties" "DataSourcePerson=Leute\nFieldSourcePersonID=Nr\nFieldSourcePerson=Name\nDataSourceDates=Termine\nFieldDatesDateID=TerminID\nFieldDatesDate=Datum\nFieldDatesPerson=Person\n")
run_cli(0 persons persons --db "${people}" --properties "${WORK_DIR}/people.properties")
file(READ "${CMAKE_CURRENT_LIST_DIR}/persons_german_order.txt" expected_persons)
if(NOT persons STREQUAL expected_persons)
  message(FATAL_ERROR "persons out of order:\n${persons}")
endif()
run_cli(2 out persons --properties "${WORK_DIR}/people.properties")

# Failures: a table that does not exist, a missing property, a missing file.
string(REPLACE "DataSourceDates=Termine" "DataSourceDates=Nichts" bad "${properties}")
file(WRITE "${WORK_DIR}/bad.properties" "${bad}")
run_cli(2 out sheet --db "${db}" --properties "${WORK_DIR}/bad.properties" --date 10.03.2026)
expect_match("${out_ERR}" "Agendor-Fehlercode 4: .*Nichts" "a query on a missing table")
file(WRITE "${WORK_DIR}/few.properties" "DataSourcePerson=Personen\n")
run_cli(2 out sheet --db "${db}" --properties "${WORK_DIR}/few.properties")
expect_match("${out_ERR}" "Set Property <FieldSourcePerson> first!" "a missing data property")
run_cli(2 out sheet --db "${WORK_DIR}/missing.db")
run_cli(2 out day --date 10.03.2026)
