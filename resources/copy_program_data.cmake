# Copies the program's data files from SOURCE (the resources folder) into DEST (the
# program folder). Run at build time, so data added later needs no new configure run.
foreach(item Languages imagemagick license.txt)
  if(IS_DIRECTORY "${SOURCE}/${item}")
    file(COPY "${SOURCE}/${item}" DESTINATION "${DEST}" USE_SOURCE_PERMISSIONS)
  elseif(EXISTS "${SOURCE}/${item}")
    file(COPY "${SOURCE}/${item}" DESTINATION "${DEST}")
  endif()
endforeach()
