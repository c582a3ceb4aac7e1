# Runs the artwork generator into a fresh folder and compares every file it writes, byte for
# byte, with the committed bitmaps. Arguments: GENERATOR, RESOURCES, OUT.
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${GENERATOR} ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the generator failed (exit ${result}); are the fonts installed? see scripts/install-deps.sh")
endif()
set(names ticket_face)
foreach(digit RANGE 9)
  list(APPEND names digit_${digit})
endforeach()
foreach(name ${names})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/${name}.bmp ${RESOURCES}/${name}.bmp
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${name}.bmp differs from the committed resources/${name}.bmp; run the generator into resources/ and commit")
  endif()
endforeach()
