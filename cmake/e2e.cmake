# End-to-end tests: vantor-driver.exe starts Vantor.exe under Wine, acts as
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
vantor_driver(vantor-driver Vantor ${CMAKE_BINARY_DIR})

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

# The second product: one whole installation of its setup, in its own
# folder (drive T: is build/win32/second), checked against its description.
vantor_driver(drellisk-driver Drellisk ${second_root})
add_test(NAME e2e.second-product
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-scenario.sh ${second_root} complete-install)
set_tests_properties(e2e.second-product PROPERTIES
  SKIP_RETURN_CODE 77 RESOURCE_LOCK display TIMEOUT 600)
