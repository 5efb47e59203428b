# vantor_setup(TARGET APP PRODUCT ROOT): the setup of the product in the
# folder PRODUCT (its description product.txt, its files, its licence, its
# pictures if it brings them), built into ROOT:
#   ROOT/<output>         the setup, named by the description (Setup.exe)
#   ROOT/<id>.yaml        the package manager's manifest of that setup, its
#                         file's name in ROOT/package.name
#   ROOT/uninstaller/     Vantor's uninstaller, built for this product
#   ROOT/<@ path>         the updater and the main program, if the product
#                         takes ours (entries 1 and 2 with "@" sources)
#   ROOT/pictures/        the pictures painted for it, when it brings none,
#                         and the setup's icon (product.ico)
#   ROOT/identity/        its identity, for the programs above
#   ROOT/table/           the sizes of its table (product_table.h)
#   ROOT/payload/         its files, packed
#   ROOT/generated/       the manifest, identity and resource lines
#   ROOT/product-files/   copies of its files and licence, as installed
#   ROOT/taken/           the description, licence, pictures and ready-made
#                         programs to sign, as this build last took them,
#                         and the script that takes them
# APP is the static library of the setup's code (the tests link it).
# Everything a setup packs is either a file of the product's folder or a
# program this build makes for this product: nothing left by an earlier
# build can be taken.
# What the publisher brings is judged by its bytes, not its time: a file
# replaced by one with an older time (cp -a, an unpacked archive) must still
# be taken. Every build copies each such file over the copy it took last when
# their bytes differ (file(COPY_FILE ... ONLY_IF_DIFFERENT), all in one
# process; a copy it makes is new), and what is made from the file depends
# on that copy. A copy whose bytes
# did not change keeps its time, so a build with nothing changed packs
# nothing. What the build makes itself is judged by its time as usual.
# The finished setup is then checked against its sources (vantor-pack
# verify), and a setup that differs is renamed so it cannot be shipped.
# The setup alone is optimised whole at the link, as one piece of code:
# what nothing calls is gone by then, so its functions need no sections of
# their own (each would be padded to 4 bytes). Its library calls are
# plain calls (no built-in forms): the linker (binutils 2.40) crashes when
# the optimised code asks for a library member no object asked for before
# it, and built-in calls are not named in the objects. For the same reason
# the setup does no 64-bit division, whose helper only that code would ask
# for.
# A function called once stays a function of its own: merged into its
# caller, the caller's longer life of registers and addresses costs more
# than the call saves (164 bytes of code and 38 relocations when tried).
# Three of the compiler's choices cost bytes for speed the setup has no use for,
# measured on the whole setup: its costlier clean-ups (120 bytes), tail
# jumps, which move the arguments into the caller's frame first (28), and
# values kept in registers a call does not preserve (20).
set(VANTOR_SETUP_FLAGS -flto -fno-builtin -fno-inline-functions-called-once
  -fno-expensive-optimizations -fno-optimize-sibling-calls -fno-caller-saves)

function(vantor_setup target app product root)
  get_filename_component(product ${product} ABSOLUTE)
  set(description ${product}/product.txt)
  set(generated ${root}/generated)
  set(identity ${root}/identity)
  if(NOT EXISTS ${description})
    message(FATAL_ERROR "${product}: no product.txt here; a product folder holds its description, "
      "product.txt, beside the files it names")
  endif()
  # The build's copy of the description follows its bytes (see below), so a
  # description replaced by an older one is read again on the next build.
  file(MAKE_DIRECTORY ${root}/taken)
  file(COPY_FILE ${description} ${root}/taken/description.txt ONLY_IF_DIFFERENT)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${description}
    ${root}/taken/description.txt)
  vantor_check_description(${description} ${product} ${root})

  # What the build reads of the description: the entries, the files it
  # names, the output's name. The generator checks all of it.
  file(STRINGS ${description} entry_lines REGEX "^[ \t]*entry[ \t]*\\|")
  file(STRINGS ${description} picture_lines REGEX "^[ \t]*picture[ \t]")
  file(STRINGS ${description} licence_lines REGEX "^[ \t]*licence[ \t]")
  file(STRINGS ${description} output_lines REGEX "^[ \t]*output[ \t]")
  file(STRINGS ${description} preserve_lines REGEX "^[ \t]*preserve[ \t]")
  set(output Setup.exe)
  foreach(line IN LISTS output_lines)  # a later key replaces an earlier one
    string(REGEX REPLACE "^[ \t]*output[ \t]+" "" output "${line}")
    string(STRIP "${output}" output)
  endforeach()
  file(WRITE ${root}/description.path "${description}\n")
  file(WRITE ${root}/setup.name "${output}\n")

  # The sizes the whole setup's code is compiled with; rewritten only when
  # they change, so that editing a text recompiles little.
  list(LENGTH entry_lines entry_count)
  set(preserved_count 0)
  foreach(line IN LISTS preserve_lines)
    string(REGEX REPLACE "^[ \t]*preserve[ \t]+" "" words "${line}")
    string(STRIP "${words}" words)
    string(REGEX REPLACE "[ \t]+" ";" words "${words}")
    list(LENGTH words preserved_count)
  endforeach()
  file(CONFIGURE OUTPUT ${root}/table/product_table.h CONTENT
"/* generated from the product description; do not edit */
#define VANTOR_TABLE_SIZE ${entry_count}
#define VANTOR_PRESERVED_COUNT ${preserved_count}
")

  # Pictures the product brings; the others are painted for it, so that
  # they always carry this description's names.
  set(brought)
  set(named_files)
  # The publisher's files as this build takes them (see above), and the
  # script that takes them; what is made of them depends on the copies.
  set(taken)
  set(take_script "file(MAKE_DIRECTORY [==[${root}/taken]==] [==[${root}/product-files]==])\n")
  vantor_take(${description} ${root}/taken/description.txt)
  foreach(line IN LISTS picture_lines licence_lines)
    string(REGEX REPLACE "^[ \t]*(picture[ \t]+[A-Za-z]+|licence)[ \t]+" "" file "${line}")
    string(STRIP "${file}" file)
    vantor_product_path(file "${file}" ${product})
    list(APPEND named_files ${file})
    set(copy ${root}/taken/licence)
    if(line MATCHES "^[ \t]*picture[ \t]+([A-Za-z]+)")
      list(APPEND brought ${CMAKE_MATCH_1})
      set(picture_${CMAKE_MATCH_1} ${file})
      set(copy ${root}/taken/picture-${CMAKE_MATCH_1})
    endif()
    vantor_take(${file} ${copy})
  endforeach()
  # What the identity and the painted pictures are made of, the licence
  # among it: a new licence costs them a needless run at most.
  set(described ${taken})
  set(painted)
  foreach(picture computer.bmp startmenu.bmp banner.bmp strip.bmp line.bmp setup.ico shortcut.ico)
    string(REGEX REPLACE "\\..*" "" name ${picture})
    if(NOT name IN_LIST brought)
      list(APPEND painted ${root}/pictures/${picture})
      set(picture_${name} ${root}/pictures/${picture})
    endif()
  endforeach()
  # The painter writes exactly these: naming one it leaves out would paint
  # again at every build.
  if(painted)
    add_custom_command(OUTPUT ${painted}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${root}/pictures
      COMMAND ${VANTOR_HOST_TOOLS}/paint-resources ${root}/pictures ${description}
      DEPENDS ${description} ${described} ${VANTOR_HOST_TOOLS}/paint-resources
      COMMENT "Painting the pictures of ${description}"
      VERBATIM)
  endif()
  # A setup without an icon of its own wears its main program's (entry 2,
  # a program of the publisher's, taken by its bytes), else the painted one.
  if(NOT "setup" IN_LIST brought)
    set(main_program)
    if(entry_count GREATER 2)
      list(GET entry_lines 2 line)
      string(REPLACE "|" ";" fields "${line}")
      list(GET fields 1 name)
      list(GET fields 5 source)
      string(STRIP "${name}" name)
      string(STRIP "${source}" source)
      if(NOT source MATCHES "^@")
        set(main_program "${root}/product-files/${name}")
      endif()
    endif()
    set(picture_setup ${root}/pictures/product.ico)
    set(take COMMAND ${CMAKE_COMMAND} -E copy ${root}/pictures/setup.ico ${picture_setup})
    if(main_program)
      set(take COMMAND ${VANTOR_PACK} icon ${main_program} ${root}/pictures/setup.ico ${picture_setup})
    endif()
    add_custom_command(OUTPUT ${picture_setup} ${take}
      DEPENDS ${main_program} ${root}/pictures/setup.ico ${VANTOR_PACK}
      VERBATIM)
    list(APPEND painted ${picture_setup})
  endif()
  # The uninstaller shows its own icon, else the setup's.
  if(NOT DEFINED picture_uninstaller)
    set(picture_uninstaller ${picture_setup})
  endif()

  # The identity the programs are built with, from the same generator as
  # the setup's manifest, so the two cannot disagree.
  set(identity_files ${identity}/product_identity.h ${identity}/application.manifest
    ${identity}/uninstaller.ico)
  add_custom_command(OUTPUT ${identity_files}
    COMMAND ${VANTOR_MANIFEST} --identity ${description} ${product} ${root} ${identity}
    DEPENDS ${description} ${described} ${VANTOR_MANIFEST} ${picture_uninstaller}
    VERBATIM)
  add_custom_target(${target}_identity DEPENDS ${identity_files})

  set(packed_files)
  set(sources)
  set(copies)
  set(checked)
  set(index 0)
  foreach(line IN LISTS entry_lines)
    string(REPLACE "|" ";" fields "${line}")
    list(GET fields 1 name)
    list(GET fields 3 resource)
    list(GET fields 5 source)
    string(STRIP "${name}" name)
    string(STRIP "${resource}" resource)
    string(STRIP "${source}" source)
    # Programs of ours, by their roles: built for this product, into the
    # place the description names.
    set(program)
    if(source STREQUAL "@uninstaller" AND index EQUAL 0)
      set(source ${root}/uninstaller/${name})
      set(program ${target}_uninstaller)
      vantor_uninstaller(${program} ${target}_identity ${identity} ${source})
    elseif(index EQUAL 0)
      message(FATAL_ERROR "${description}: entry 0 (${name}) is the uninstaller, Vantor's own "
        "program built for this product: write @uninstaller as its source")
    elseif(source MATCHES "^@(.+)" AND (index EQUAL 1 OR index EQUAL 2))
      set(source ${root}/${CMAKE_MATCH_1})
      if(index EQUAL 1)
        set(program ${target}_updater)
        vantor_updater(${program} ${target}_identity ${identity} ${source})
      else()
        set(program ${target}_program)
        vantor_ledger(${program} ${target}_identity ${identity} ${source})
      endif()
    elseif(source MATCHES "^@")
      message(FATAL_ERROR "${description}: entry ${index} (${name}): '${source}': only the "
        "uninstaller (entry 0), the updater (entry 1) and the main program (entry 2) can be "
        "programs the build makes; name a file of the product's folder")
    else()
      vantor_product_path(source "${source}" ${product})
    endif()
    set(copy "${root}/product-files/${name}")
    if(program)
      add_custom_command(OUTPUT ${copy}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
        DEPENDS ${source} ${program}
        VERBATIM)
      list(APPEND copies ${copy})
    elseif(VANTOR_SIGN AND name MATCHES "\\.([Ee][Xx][Ee]|[Dd][Ll][Ll])$")
      # Programs the publisher brings ready-made are signed as copies in
      # ROOT/signed, which the generator then takes for them; those the
      # tree builds are signed as they are linked.
      set(unsigned "${root}/taken/${name}")
      set(signed "${root}/signed/${name}")
      vantor_take(${source} ${unsigned})
      add_custom_command(OUTPUT ${signed}
        COMMAND ${CMAKE_COMMAND} -E copy ${unsigned} ${signed}
        COMMAND ${CMAKE_SOURCE_DIR}/scripts/sign.sh ${signed}
        DEPENDS ${unsigned}
        VERBATIM)
      add_custom_command(OUTPUT ${copy}
        COMMAND ${CMAKE_COMMAND} -E copy ${signed} ${copy}
        DEPENDS ${signed}
        VERBATIM)
      list(APPEND copies ${copy})
      set(source ${signed})
    else()
      vantor_take(${source} ${copy})
    endif()
    # Packed from the copy, whose time follows the bytes.
    set(packed ${root}/payload/${resource}.lz)
    add_custom_command(OUTPUT ${packed}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${root}/payload
      COMMAND ${VANTOR_PACK} pack ${copy} ${packed}
      DEPENDS ${copy} ${VANTOR_PACK}
      COMMENT "Packing ${name}"
      VERBATIM)
    list(APPEND checked ${resource} ${source})
    list(APPEND packed_files ${packed})
    list(APPEND sources ${source})
    math(EXPR index "${index} + 1")
  endforeach()

  set(outputs ${generated}/manifest_data.inc ${generated}/product_identity.h
    ${generated}/application.manifest ${generated}/uninstaller.ico ${generated}/license.txt
    ${generated}/payload.rc ${generated}/setup_files.rc ${generated}/manifest.txt)
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${VANTOR_MANIFEST} ${description} ${product} ${root} ${generated}
    DEPENDS ${description} ${VANTOR_MANIFEST} ${packed_files} ${sources} ${named_files} ${taken}
      ${painted}
    COMMENT "Writing the manifest of ${description}"
    VERBATIM)
  # The licence as the setup carries it.
  set(copy ${root}/product-files/license.txt)
  add_custom_command(OUTPUT ${copy}
    COMMAND ${CMAKE_COMMAND} -E copy ${generated}/license.txt ${copy}
    DEPENDS ${generated}/license.txt
    VERBATIM)
  list(APPEND copies ${copy})
  add_custom_target(${target}_generated ALL DEPENDS ${outputs} ${copies})
  # Runs on every build, before anything is made of what it takes.
  file(WRITE ${root}/taken/take.cmake "${take_script}")
  add_custom_target(${target}_taken COMMAND ${CMAKE_COMMAND} -P ${root}/taken/take.cmake
    BYPRODUCTS ${taken} VERBATIM)
  add_dependencies(${target}_identity ${target}_taken)
  add_dependencies(${target}_generated ${target}_taken)

  # Everything of the setup program but its entry point, so tests link it too:
  # as ordinary code for them, and as the compiler's intermediate form for
  # the setup, which is optimised as one whole at the link.
  add_library(${app} STATIC ${VANTOR_APP_SOURCES})
  target_include_directories(${app} PUBLIC ${generated} ${root}/table ${VANTOR_INCLUDES})
  target_compile_options(${app} PRIVATE ${VANTOR_WIN_FLAGS} ${VANTOR_SETUP_FLAGS} -ffat-lto-objects)
  add_dependencies(${app} ${target}_generated)

  # A resource script of its own for each setup, so each depends on its
  # own generated files.
  set(script ${root}/setup.rc)
  file(CONFIGURE OUTPUT ${script} CONTENT "#include \"vantor.rc\"\n")
  add_executable(${target} WIN32 ${CMAKE_SOURCE_DIR}/shell/win_main.cpp ${script})
  string(REGEX REPLACE "\\.[^.]*$" "" output_name "${output}")
  string(REGEX MATCH "\\.[^.]*$" output_suffix "${output}")
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output_name} SUFFIX "${output_suffix}"
    RUNTIME_OUTPUT_DIRECTORY ${root})
  # The resource script finds the payload's "payload/NAME.lz" under ROOT.
  target_include_directories(${target} PRIVATE ${root})
  target_link_libraries(${target} ${app} ${VANTOR_WIN_LIBS})
  vantor_windows_program(${target})
  target_compile_options(${target} PRIVATE ${VANTOR_SETUP_FLAGS})
  target_link_options(${target} PRIVATE -nostartfiles -Wl,-e,_VantorStartup@0
    ${VANTOR_WIN_FLAGS} ${VANTOR_SETUP_FLAGS} -flto-partition=one -fno-function-sections
    -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/setup.ld -Wl,--orphan-handling=error)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/setup.ld)
  # The linker's DOS program and padding cost the headers a second block.
  add_custom_command(TARGET ${target} POST_BUILD COMMAND ${VANTOR_HEADERS} $<TARGET_FILE:${target}>
    VERBATIM)
  vantor_sign(${target})
  # The setup as shipped carries exactly the bytes of its sources, and the
  # manifest their sizes; else it is renamed and the build fails.
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${VANTOR_PACK} verify $<TARGET_FILE:${target}> ${generated}/manifest.txt ${checked}
    VERBATIM)
  # Last, so that its hash is of the setup as shipped: headers rewritten,
  # signed.
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${VANTOR_MANIFEST} --package ${description} ${product} ${root} $<TARGET_FILE:${target}>
    VERBATIM)
  set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS "${outputs};${packed_files}")
endfunction()

# FROM taken by its bytes into TO (see vantor_setup): into the caller's
# list of copies and its script.
macro(vantor_take from to)
  list(APPEND taken ${to})
  string(APPEND take_script "file(COPY_FILE [==[${from}]==] [==[${to}]==] ONLY_IF_DIFFERENT)\n")
endmacro()

# A path the description names: absolute, or relative to the product's
# folder.
function(vantor_product_path out path product)
  if(IS_ABSOLUTE "${path}")
    set(${out} "${path}" PARENT_SCOPE)
  else()
    set(${out} "${product}/${path}" PARENT_SCOPE)
  endif()
endfunction()

# Everything of the description that can be checked before anything is
# built, when the tree is configured: a mistake is named by its line and
# field, not by a build step that fails on it later.
function(vantor_check_description description product root)
  if(NOT EXISTS ${VANTOR_MANIFEST})
    message(FATAL_ERROR "${VANTOR_MANIFEST} is not built: build the host tools first "
      "(scripts/build.sh, or scripts/build-setup.sh for one product)")
  endif()
  execute_process(COMMAND ${VANTOR_MANIFEST} --check ${description} ${product} ${root}
    RESULT_VARIABLE failed ERROR_VARIABLE problems)
  if(failed)
    # As the generator wrote them, one a line: CMake would rewrap an error.
    message(NOTICE "${problems}")
    message(FATAL_ERROR "${description}: put the problems above right; nothing was built")
  endif()
endfunction()
