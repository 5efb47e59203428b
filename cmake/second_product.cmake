# A second product, Drellisk by Ombrevale, built from its own folder
# (products/drellisk) into build/win32/second as any product is: its
# programs, its pictures painted for it, its setup. The tests install it
# end to end and scan both setups for each other's names.
set(second_root ${CMAKE_BINARY_DIR}/second)
vantor_setup(Drellisk drellisk_app ${CMAKE_SOURCE_DIR}/products/drellisk ${second_root})

# Neither setup carries the other's names, in any encoding, decoded payload
# included.
add_test(NAME second_product.names_scan COMMAND ${CMAKE_SOURCE_DIR}/tests/scan_setups.sh
  ${CMAKE_BINARY_DIR} ${second_root} ${VANTOR_HOST_TOOLS})
