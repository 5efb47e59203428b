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
    ${CMAKE_SOURCE_DIR}/shell ${CMAKE_SOURCE_DIR}/pages)
  target_compile_options(${target} PRIVATE -O2 -Wall -Wextra -fno-exceptions -fno-rtti)
  target_link_options(${target} PRIVATE -static -mconsole)
  target_link_libraries(${target} user32 gdi32 advapi32 ole32 shell32 uuid)
  add_dependencies(${target} ${setup} ${setup}_generated)
endfunction()

# The demo's scenarios, and the second product's walk.
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

  # Windows of the setup are topmost and the checks read the screen, so the
  # scenarios take the display one at a time.
  set(VANTOR_E2E_SCENARIOS
    welcome-cancel welcome-escape second-setup licence-disagree licence-escape licence-resize
    folder-cancel folder-browse folder-bad-input group-input unwritable-folder
    complete-install readme-yes readme-no reinstall
    planted-dlls planted-notepad group-names locked-reinstall
    snapshot-noop install-snapshot install-remove remove-twice remove-silent
    remove-silent-in-use remove-in-use remove-user-files remove-many-data tampered-root
    tampered-windows tampered-relative remove-junction remove-not-removed ledger-data
    silent-install deploy-refused deploy-values deploy-in-use deploy-running deploy-passive
    deploy-help)
  foreach(scenario IN LISTS VANTOR_E2E_SCENARIOS)
    add_test(NAME e2e.${scenario}
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-scenario.sh ${CMAKE_BINARY_DIR} ${scenario})
    set_tests_properties(e2e.${scenario} PROPERTIES
      SKIP_RETURN_CODE 77 RESOURCE_LOCK display TIMEOUT 300)
  endforeach()

  # Scenarios again where the platform's defaults would hide a fault, each
  # "name|scenario|environment": a time zone whose offset is not a whole hour,
  # and a 64-bit Windows, whose registry redirector moves the setup's
  # HKLM\Software writes under WOW6432Node, and which has more system folders
  # for a tampered Program Path to name. The first run in an architecture
  # makes its template prefix, hence the longer limit.
  set(VANTOR_E2E_VARIANTS
    "complete-install-kolkata|complete-install|TZ=Asia/Kolkata"
    "complete-install-win64|complete-install|VANTOR_WINEARCH=win64"
    "install-remove-win64|install-remove|VANTOR_WINEARCH=win64"
    "tampered-windows-win64|tampered-windows|VANTOR_WINEARCH=win64")
  foreach(variant IN LISTS VANTOR_E2E_VARIANTS)
    string(REPLACE "|" ";" fields "${variant}")
    list(GET fields 0 name)
    list(GET fields 1 scenario)
    list(GET fields 2 environment)
    add_test(NAME e2e.${name}
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-scenario.sh ${CMAKE_BINARY_DIR} ${scenario})
    set_tests_properties(e2e.${name} PROPERTIES ENVIRONMENT "${environment}"
      SKIP_RETURN_CODE 77 RESOURCE_LOCK display TIMEOUT 600)
  endforeach()

  # The second product: one whole installation of its setup, in its own
  # folder (drive T: is build/win32/second), checked against its description.
  vantor_driver(drellisk-driver Drellisk ${CMAKE_BINARY_DIR}/second)
  # A product the test makes in a folder of its own, built with
  # scripts/build-setup.sh and walked as the second product is.
  add_test(NAME e2e.own-product
    COMMAND ${CMAKE_SOURCE_DIR}/tests/own_product.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e.own-product PROPERTIES
    SKIP_RETURN_CODE 77 RESOURCE_LOCK display TIMEOUT 1800)
  add_test(NAME e2e.second-product
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-scenario.sh ${CMAKE_BINARY_DIR}/second complete-install)
  set_tests_properties(e2e.second-product PROPERTIES
    SKIP_RETURN_CODE 77 RESOURCE_LOCK display TIMEOUT 600)
endfunction()
