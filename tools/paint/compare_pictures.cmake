# Runs the picture generator into a scratch folder and requires every file
# it writes to equal, byte for byte, the one committed in resources/.
# -DTOOL=<paint-resources> -DOUT=<scratch folder> -DREF=<resources folder>
# -DDESCRIPTION=<the product description the pictures name>
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${TOOL} ${OUT} ${DESCRIPTION} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "paint-resources failed: ${status}")
endif()
set(differ)
# The demo brings its setup icon and emblem; the rest is painted.
foreach(name banner.bmp strip.bmp line.bmp startmenu.bmp computer.bmp shortcut.ico)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/${name} ${REF}/${name}
    RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    list(APPEND differ ${name})
  endif()
endforeach()
if(differ)
  message(FATAL_ERROR "regenerated pictures differ from resources/: ${differ}\n"
    "run paint-resources resources/ after changing tools/paint/ and commit the result")
endif()
message(STATUS "6 pictures regenerated identically")
