# Typesets the manual: UTF-8 source (preconv), tables (tbl), formulas (eqn),
# ms macros with French hyphenation, A4 PDF. The PDF replaces the old one only
# when groff succeeded, so a failed run never leaves a truncated manual.
# Further chapters (CHAPITRES, separated by "|") follow the body as further
# input files, so that preconv reads each as UTF-8.
string(REPLACE "|" ";" chapitres "${CHAPITRES}")
execute_process(
    COMMAND ${GROFF} -k -K utf-8 -t -e -ms -mfr -Tpdf -dpaper=a4 -P-pa4 ${SOURCE} ${chapitres}
    OUTPUT_FILE ${OUTPUT}.tmp
    ERROR_VARIABLE messages
    RESULT_VARIABLE result
)
if(messages)
    message(WARNING "groff: ${messages}")
endif()
if(NOT result EQUAL 0)
    file(REMOVE ${OUTPUT}.tmp)
    message(FATAL_ERROR "groff failed (${result}) on ${SOURCE}")
endif()
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
