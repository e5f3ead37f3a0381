# Run by CTest with NM and PROGRAM set: the program's dynamic symbol table
# holds every class it exports, under its own name, and nothing of MuPDF.
execute_process(COMMAND ${NM} -DC --defined-only ${PROGRAM}
    OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${PROGRAM}: ${result}")
endif()
foreach(name HostWindow QWinHost QWinWidget conversion::pdfParseProgress)
    string(FIND "${symbols}" " ${name}::" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${name} is not exported by ${PROGRAM}")
    endif()
endforeach()
if(symbols MATCHES "[ \n]fz_")
    message(FATAL_ERROR "${PROGRAM} exports MuPDF's functions")
endif()
