# A second product, Drellisk by Ombrevale, built from its own description
# (products/drellisk/product.txt) into build/win32/second with the same
# code as Quorvel's setup: its programs, its pictures painted for it, its
# setup.
# The tests install it end to end and scan both setups for each other's
# names.
set(second_root ${CMAKE_BINARY_DIR}/second)
set(second_description ${CMAKE_SOURCE_DIR}/products/drellisk/product.txt)

product_programs(drellisk ${second_description} ${second_root}/programs)

vantor_setup(Drellisk drellisk_app ${second_description} ${second_root} drellisk_programs)

# Neither setup carries the other's names, in any encoding, decoded payload
# included.
add_test(NAME second_product.names_scan COMMAND ${CMAKE_SOURCE_DIR}/tests/scan_setups.sh
  ${CMAKE_BINARY_DIR} ${second_root} ${VANTOR_HOST_TOOLS})
