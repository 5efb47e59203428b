# End-to-end tests: vantor-driver.exe starts Vantor.exe under Wine, acts as
# its user and checks what it shows and leaves behind. Every scenario runs
# through scripts/e2e-scenario.sh in a fresh prefix of its own.

# What the checks compare with, reachable from the prefixes as T:\e2e-data:
# the licence text and the product's files under their installed names.
set(VANTOR_E2E_DATA ${CMAKE_BINARY_DIR}/e2e-data)
set(vantor_e2e_copies ${VANTOR_E2E_DATA}/license.txt)
add_custom_command(OUTPUT ${VANTOR_E2E_DATA}/license.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/resources/license.txt ${VANTOR_E2E_DATA}/license.txt
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/license.txt
  VERBATIM)
file(STRINGS ${VANTOR_DESCRIPTION} vantor_e2e_entries REGEX "^entry[ \t]*\\|")
foreach(line IN LISTS vantor_e2e_entries)
  string(REPLACE "|" ";" fields "${line}")
  list(GET fields 1 target)
  list(GET fields 5 source)
  string(STRIP "${target}" target)
  string(STRIP "${source}" source)
  if(source MATCHES "^@(.*)")
    set(source ${CMAKE_BINARY_DIR}/${CMAKE_MATCH_1})
  else()
    set(source ${CMAKE_SOURCE_DIR}/${source})
  endif()
  set(copy "${VANTOR_E2E_DATA}/product/${target}")
  add_custom_command(OUTPUT "${copy}"
    COMMAND ${CMAKE_COMMAND} -E copy "${source}" "${copy}"
    DEPENDS "${source}"
    VERBATIM)
  list(APPEND vantor_e2e_copies "${copy}")
endforeach()
add_custom_target(vantor-e2e-data ALL DEPENDS ${vantor_e2e_copies})
add_dependencies(vantor-e2e-data quorvel_programs)

file(GLOB VANTOR_E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
add_executable(vantor-driver ${VANTOR_E2E_SOURCES})
target_include_directories(vantor-driver PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e
  ${CMAKE_SOURCE_DIR}/shell ${CMAKE_SOURCE_DIR}/pages)
target_compile_options(vantor-driver PRIVATE -O2 -Wall -Wextra -fno-exceptions -fno-rtti)
target_link_options(vantor-driver PRIVATE -static -mconsole)
target_link_libraries(vantor-driver user32 gdi32 advapi32 ole32 shell32 uuid)
add_dependencies(vantor-driver Vantor vantor-e2e-data)

# Windows of the setup are topmost and the checks read the screen, so the
# scenarios take the display one at a time.
set(VANTOR_E2E_SCENARIOS
  welcome-cancel welcome-escape licence-disagree licence-escape licence-resize
  folder-cancel folder-browse folder-bad-input group-input unwritable-folder
  complete-install readme-yes readme-no reinstall)
foreach(scenario IN LISTS VANTOR_E2E_SCENARIOS)
  add_test(NAME e2e.${scenario}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-scenario.sh ${CMAKE_BINARY_DIR} ${scenario})
  set_tests_properties(e2e.${scenario} PROPERTIES
    SKIP_RETURN_CODE 77 RESOURCE_LOCK display TIMEOUT 300)
endforeach()
