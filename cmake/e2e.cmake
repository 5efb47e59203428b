# End-to-end tests: vantor-driver.exe starts the setup under Wine, acts as
# its user and checks what it shows and leaves behind. Every scenario runs
# through scripts/e2e-scenario.sh in a fresh prefix of its own.

# The checks compare with the build tree's copies of the product's files and
# licence (product-files/, reachable from the prefixes as T:\product-files).
file(GLOB VANTOR_E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
# vantor_driver(TARGET SETUP ROOT): the driver of the setup built in ROOT, as
# ROOT/vantor-driver.exe; it expects that setup's product, through the
# identity generated from its description.
function(vantor_driver target setup root)
  add_executable(${target} ${VANTOR_E2E_SOURCES})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME vantor-driver RUNTIME_OUTPUT_DIRECTORY ${root})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e ${root}/generated
    ${CMAKE_SOURCE_DIR}/shell ${CMAKE_SOURCE_DIR}/pages ${CMAKE_SOURCE_DIR}/payload)
  target_compile_options(${target} PRIVATE -O2 -Wall -Wextra -fno-exceptions -fno-rtti)
  target_link_options(${target} PRIVATE -static -mconsole)
  target_link_libraries(${target} user32 gdi32 advapi32 ole32 shell32 uuid)
  add_dependencies(${target} ${setup} ${setup}_generated)
endfunction()

# Each scenario runs in a prefix and on an X display of its own (the
# display is left empty here, so the script starts one), so scenarios run
# side by side without meeting in screenshots or window searches.
# vantor_e2e_test(NAME ROOT SCENARIO COST TIMEOUT [ENVIRONMENT...]): COST is
# about how many seconds the scenario takes alone, so that ctest starts
# the longest first.
function(vantor_e2e_test name root scenario cost timeout)
  add_test(NAME e2e.${name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-scenario.sh ${root} ${scenario})
  set(environment DISPLAY= VANTOR_E2E_TEMPLATES=${CMAKE_BINARY_DIR} ${ARGN})
  set_tests_properties(e2e.${name} PROPERTIES ENVIRONMENT "${environment}"
    SKIP_RETURN_CODE 77 TIMEOUT ${timeout} COST ${cost})
endfunction()

# The demo's scenarios, the second product's walk, and a product the test
# makes.
function(vantor_e2e_scenarios)
  vantor_driver(vantor-driver Vantor ${CMAKE_BINARY_DIR})
  add_dependencies(vantor-driver vantor-planted vantor-planted-program)

  # The DLL the planted-dlls scenario puts beside the setup under many names
  # (build/win32/planted.dll): it only leaves a marker when it is loaded.
  add_library(vantor-planted SHARED ${CMAKE_SOURCE_DIR}/tests/e2e/planted/planted_dll.cpp)
  set_target_properties(vantor-planted PROPERTIES PREFIX "" OUTPUT_NAME planted)
  target_compile_options(vantor-planted PRIVATE -Os -Wall -Wextra -fno-exceptions -fno-rtti)
  target_link_options(vantor-planted PRIVATE -nostdlib -s -Wl,-e,_PlantedMain@12)
  target_link_libraries(vantor-planted kernel32)

  # The program the planted-notepad scenario puts where a search by bare name
  # would find it (build/win32/planted-program.exe): it only leaves a marker.
  add_executable(vantor-planted-program ${CMAKE_SOURCE_DIR}/tests/e2e/planted/planted_program.cpp)
  set_target_properties(vantor-planted-program PROPERTIES OUTPUT_NAME planted-program)
  target_compile_options(vantor-planted-program PRIVATE -Os -Wall -Wextra -fno-exceptions -fno-rtti)
  target_link_options(vantor-planted-program PRIVATE -nostdlib -s -mwindows -Wl,-e,_PlantedStart@0)
  target_link_libraries(vantor-planted-program kernel32)

  set(VANTOR_E2E_SCENARIOS
    welcome-cancel welcome-escape second-setup licence-disagree licence-escape licence-resize
    folder-cancel folder-browse folder-bad-input group-input unwritable-folder
    complete-install readme-yes readme-no readme-elsewhere reinstall
    planted-dlls planted-notepad group-names locked-reinstall
    snapshot-noop install-snapshot install-remove remove-twice remove-silent
    remove-silent-in-use remove-in-use remove-user-files remove-shared-group remove-many-data
    tampered-root tampered-windows tampered-relative remove-junction linked-files
    remove-not-removed ledger-data
    silent-install deploy-refused deploy-values deploy-in-use deploy-running deploy-passive
    deploy-help deploy-aliases refusals tiny-drive deploy-all-users deploy-downgrade
    damaged-setup)
  # The scenarios that take longest alone, with their seconds; the others
  # take about 15.
  set(VANTOR_E2E_LONG
    tampered-windows=67 remove-not-removed=66 ledger-data=50 remove-silent-in-use=44
    tampered-root=36 remove-junction=32 remove-in-use=30)
  foreach(scenario IN LISTS VANTOR_E2E_SCENARIOS)
    set(cost 15)
    foreach(long IN LISTS VANTOR_E2E_LONG)
      if(long MATCHES "^${scenario}=([0-9]+)$")
        set(cost ${CMAKE_MATCH_1})
      endif()
    endforeach()
    vantor_e2e_test(${scenario} ${CMAKE_BINARY_DIR} ${scenario} ${cost} 300)
  endforeach()

  # Scenarios again where the platform's defaults would hide a fault, each
  # "name|scenario|seconds|environment": a time zone whose offset is not a
  # whole hour, and a 64-bit Windows, whose registry redirector moves the
  # setup's HKLM\Software writes under WOW6432Node, and which has more system
  # folders for a tampered Program Path to name, and where a reinstallation
  # finds the earlier one by its record. The first run in an
  # architecture makes its template prefix, hence the longer limit.
  set(VANTOR_E2E_VARIANTS
    "complete-install-kolkata|complete-install|20|TZ=Asia/Kolkata"
    "complete-install-win64|complete-install|32|VANTOR_WINEARCH=win64"
    "install-remove-win64|install-remove|37|VANTOR_WINEARCH=win64"
    "reinstall-win64|reinstall|30|VANTOR_WINEARCH=win64"
    "tampered-windows-win64|tampered-windows|79|VANTOR_WINEARCH=win64")
  foreach(variant IN LISTS VANTOR_E2E_VARIANTS)
    string(REPLACE "|" ";" fields "${variant}")
    list(GET fields 0 name)
    list(GET fields 1 scenario)
    list(GET fields 2 cost)
    list(GET fields 3 environment)
    vantor_e2e_test(${name} ${CMAKE_BINARY_DIR} ${scenario} ${cost} 600 ${environment})
  endforeach()

  # The second product: one whole installation of its setup, in its own
  # folder (drive T: is build/win32/second), checked against its description.
  vantor_driver(drellisk-driver Drellisk ${CMAKE_BINARY_DIR}/second)
  vantor_e2e_test(second-product ${CMAKE_BINARY_DIR}/second complete-install 24 600)

  # A product the test makes in a folder of its own, built with
  # scripts/build-setup.sh and walked as the second product is.
  add_test(NAME e2e.own-product
    COMMAND ${CMAKE_SOURCE_DIR}/tests/own_product.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e.own-product PROPERTIES ENVIRONMENT "DISPLAY="
    SKIP_RETURN_CODE 77 TIMEOUT 1800 COST 300)
endfunction()
