# Compiles the user guide: cmake -DCHMCMD=... -DSOURCE=docs/help -DSTAGE=... -DBIN=... -P BuildHelp.cmake
# The pages are compiled in a copy of the folder, since chmcmd writes beside the project file; a page
# or picture it cannot find fails the build instead of leaving a hole in the help. The result goes
# beside the executable as Vantle.chm, and the pages as plain HTML into the folder Help beside it.
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")
file(GLOB _pages "${SOURCE}/*.html" "${SOURCE}/*.css")
file(COPY ${_pages} "${SOURCE}/Vantle.hhp" "${SOURCE}/contents.hhc" "${SOURCE}/index.hhk" "${SOURCE}/images"
     DESTINATION "${STAGE}")
execute_process(COMMAND "${CHMCMD}" --verbosity 1 Vantle.hhp WORKING_DIRECTORY "${STAGE}"
                OUTPUT_VARIABLE _out ERROR_VARIABLE _err RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0 OR _out MATCHES "Warning" OR NOT EXISTS "${STAGE}/Vantle.chm")
  message(FATAL_ERROR "chmcmd failed (${_rc}):\n${_out}${_err}")
endif()
file(COPY_FILE "${STAGE}/Vantle.chm" "${BIN}/Vantle.chm")
file(REMOVE_RECURSE "${BIN}/Help")
file(COPY ${_pages} "${SOURCE}/images" DESTINATION "${BIN}/Help")
