# Fails when a shipped binary has grown past its limit, so that a change cannot undo the
# lean build quietly. Run as a script:
#   cmake -DFILE=path -DLIMIT=bytes [-DSTRIP=objcopy] -P check_size.cmake
# With STRIP, a stripped copy is measured, as `make dist` ships it.
set(measured ${FILE})
if(STRIP)
  get_filename_component(name ${FILE} NAME)
  set(measured ${CMAKE_CURRENT_BINARY_DIR}/stripped-${name})
  execute_process(COMMAND ${STRIP} --strip-all ${FILE} ${measured} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot strip ${FILE}")
  endif()
endif()
file(SIZE ${measured} size)
get_filename_component(name ${FILE} NAME)
if(size GREATER LIMIT)
  message(FATAL_ERROR "${name}: ${size} bytes stripped, over its limit of ${LIMIT}")
endif()
message(STATUS "${name}: ${size} bytes stripped, limit ${LIMIT}")
