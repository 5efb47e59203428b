# A second product, Drellisk by Ombrevale, built from its own description
# (products/drellisk/product.txt) into build/win32/second with the same
# code as Quorvel's setup: its programs, its painted pictures, its setup.
# The tests install it end to end and scan both setups for each other's
# names.
set(second_root ${CMAKE_BINARY_DIR}/second)
set(second_description ${CMAKE_SOURCE_DIR}/products/drellisk/product.txt)

product_programs(drellisk ${second_description} ${second_root}/programs)

# Its pictures are painted with its own names, and bound as a publisher's
# own pictures are: through "picture" lines of its description.
set(second_pictures)
foreach(name computer.bmp startmenu.bmp banner.bmp strip.bmp line.bmp setup.ico shortcut.ico)
  list(APPEND second_pictures ${second_root}/pictures/${name})
endforeach()
add_custom_command(OUTPUT ${second_pictures}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${second_root}/pictures
  COMMAND ${VANTOR_HOST_TOOLS}/paint-resources ${second_root}/pictures ${second_description}
  DEPENDS ${second_description} ${VANTOR_HOST_TOOLS}/paint-resources
  VERBATIM)
add_custom_target(drellisk_inputs DEPENDS ${second_pictures})
add_dependencies(drellisk_inputs drellisk_programs)

vantor_setup(Drellisk drellisk_app ${second_description} ${second_root} drellisk_inputs)

# Neither setup carries the other's names, in any encoding, decoded payload
# included.
add_test(NAME second_product.names_scan COMMAND ${CMAKE_SOURCE_DIR}/tests/scan_setups.sh
  ${CMAKE_BINARY_DIR} ${second_root} ${VANTOR_HOST_TOOLS})
