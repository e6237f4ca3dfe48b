# agendor-cli against the tests' PostgreSQL server: the same sample (same
# seed) on the server and in a SQLite file must show the same sheet, the
# same day and the same person list in the same order; existing tables are kept unless --replace is given. Called by
# CTest as
#   cmake -DCLI=<binary> -DWORK_DIR=<dir> -DCONNINFO=<conninfo> -P cli_server.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(db "${WORK_DIR}/sample.db")

function(run_cli expected_rc out_var)
  execute_process(COMMAND "${CLI}" ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc STREQUAL "${expected_rc}")
    message(FATAL_ERROR "agendor-cli ${ARGN}: exit status ${rc}, expected ${expected_rc}\n${out}\n${err}")
  endif()
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${out_var}_ERR "${err}" PARENT_SCOPE)
endfunction()

set(size --persons 25 --appointments 4000 --from 2026 --to 2026 --seed 11)
run_cli(0 file_properties sample --db "${db}" ${size})
run_cli(0 server_properties sample --pg "${CONNINFO}" ${size} --replace)
if(NOT file_properties STREQUAL server_properties)
  message(FATAL_ERROR "the two samples have different data properties:\n${file_properties}\n${server_properties}")
endif()
run_cli(2 again sample --pg "${CONNINFO}" ${size})
if(NOT again_ERR MATCHES "schon")
  message(FATAL_ERROR "existing tables were not refused: ${again_ERR}")
endif()

foreach(view month week)
  run_cli(0 from_file sheet --db "${db}" --view ${view} --date 10.03.2026 --today 01.03.2026)
  run_cli(0 from_server sheet --pg "${CONNINFO}" --view ${view} --date 10.03.2026 --today 01.03.2026)
  if(NOT from_file STREQUAL from_server)
    message(FATAL_ERROR "the ${view} sheets differ:\n${from_file}\n----\n${from_server}")
  endif()
  if(NOT from_server MATCHES "\t10(\\\\n[0-2][0-9]:[0-5][0-9] [^\t\n]*)+\t")
    message(FATAL_ERROR "no appointments on 10 March:\n${from_server}")
  endif()
endforeach()

run_cli(0 day_file day --db "${db}" --date 10.03.2026 --today 01.03.2026)
run_cli(0 day_server day --pg "${CONNINFO}" --date 10.03.2026 --today 01.03.2026)
if(NOT day_file STREQUAL day_server)
  message(FATAL_ERROR "the day grids differ:\n${day_file}\n----\n${day_server}")
endif()

run_cli(0 persons_file persons --db "${db}")
run_cli(0 persons_server persons --pg "${CONNINFO}")
if(NOT persons_file STREQUAL persons_server OR NOT persons_server MATCHES "^[0-9]+\t[^\n]+\n")
  message(FATAL_ERROR "the person lists differ:\n${persons_file}\n----\n${persons_server}")
endif()

# The dates as day counts on the server show the same sheet.
run_cli(0 ignored sample --pg "${CONNINFO}" ${size} --date-storage real --replace)
run_cli(0 from_day_counts sheet --pg "${CONNINFO}" --date 10.03.2026 --today 01.03.2026)
run_cli(0 from_file sheet --db "${db}" --date 10.03.2026 --today 01.03.2026)
if(NOT from_file STREQUAL from_day_counts)
  message(FATAL_ERROR "the day-count sample shows another sheet:\n${from_day_counts}")
endif()

# No server there: one line on stderr, exit status 2.
run_cli(2 out sheet --pg "host=${WORK_DIR} user=postgres dbname=nirgends" --date 10.03.2026)
if(NOT out_ERR MATCHES "^agendor-cli: Keine Verbindung zum Datenbankserver")
  message(FATAL_ERROR "unexpected message for a missing server: ${out_ERR}")
endif()
