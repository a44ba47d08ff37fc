# Writes the export definitions of a reference host KORPUS.dll from the one
# list of host services (src/host/host_services.def).
#
#   korpus_write_def(OUTPUT <file> [OMIT <ordinal>...])
#
# Every service is exported by ordinal only, under no name, as the host does.
# The entries 30005 and 30007 and the named control functions follow.
# OMIT leaves out chosen ordinals, for hosts that lack services.
set(KORPUS_SERVICE_LIST ${CMAKE_CURRENT_LIST_DIR}/../src/host/host_services.def)

function(korpus_write_def)
    cmake_parse_arguments(ARG "" "OUTPUT" "OMIT" ${ARGN})
    file(STRINGS ${KORPUS_SERVICE_LIST} rows REGEX "^ZB_HOST_SERVICE\\(")
    set(text "LIBRARY KORPUS.dll\nEXPORTS\n")
    foreach(row IN LISTS rows)
        string(REGEX MATCH "^ZB_HOST_SERVICE\\( *[0-9]+, *[A-Za-z0-9_]+, *([0-9]+)," _ "${row}")
        set(ordinal ${CMAKE_MATCH_1})
        if(NOT ordinal IN_LIST ARG_OMIT)
            string(APPEND text "    korpus_${ordinal} @${ordinal} NONAME\n")
        endif()
    endforeach()
    foreach(ordinal 30005 30007)
        if(NOT ordinal IN_LIST ARG_OMIT)
            string(APPEND text "    korpus_${ordinal} @${ordinal} NONAME\n")
        endif()
    endforeach()
    file(READ ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../refhost/korpus/control_exports.txt control)
    string(APPEND text "${control}")
    file(CONFIGURE OUTPUT ${ARG_OUTPUT} CONTENT "${text}" @ONLY)
endfunction()
