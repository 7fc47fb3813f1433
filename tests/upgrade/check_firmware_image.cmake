# Makes an image with the generator and runs the build's check on it.
#   -DGENERATOR=<ferrowind_make_image> -DSCRIPT=<EmbedFirmwareImage.cmake> -DWORK=<dir>
#   -DARGS="<generator options>" [-DCOMPARE=<file that must equal the image made>]
separate_arguments(arguments UNIX_COMMAND "${ARGS}")
file(MAKE_DIRECTORY "${WORK}")
set(image "${WORK}/image.bin")
execute_process(COMMAND "${GENERATOR}" --output "${image}" ${arguments} RESULT_VARIABLE made)
if(NOT made EQUAL 0)
  message(FATAL_ERROR "the generator failed: ${made}")
endif()
if(DEFINED COMPARE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${image}" "${COMPARE}" RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${COMPARE} is not what the generator makes with its defaults")
  endif()
  message(STATUS "same as ${COMPARE}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -DIMAGE=${image} -DOUTPUT=${WORK}/image.cpp -P "${SCRIPT}"
                RESULT_VARIABLE checked ERROR_VARIABLE messages)
message(STATUS "check result ${checked}: ${messages}")
