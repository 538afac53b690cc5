# A German locale of the build's own, for the tests that must hold whatever the locale: stock Debian
# (CI's too) has none, and making one system-wide would change the machine. Sets CORVANE_GERMAN_LOCPATH
# to the folder that holds it, for the tests' LOCPATH, or leaves it empty where it can't be made (those
# tests then skip and say why).
set(CORVANE_GERMAN_LOCPATH "")
if(NOT WIN32)
    set(locales "${CMAKE_BINARY_DIR}/locales")
    if(NOT EXISTS "${locales}/de_DE.UTF-8/LC_CTYPE")
        find_program(CORVANE_LOCALEDEF localedef)
        if(CORVANE_LOCALEDEF)
            # localedef's sources come with the package "locales", which not every machine has.
            file(MAKE_DIRECTORY "${locales}")
            execute_process(
                COMMAND "${CORVANE_LOCALEDEF}" --inputfile=de_DE --charmap=UTF-8 "${locales}/de_DE.UTF-8"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
            if(NOT EXISTS "${locales}/de_DE.UTF-8/LC_CTYPE")
                message(STATUS "No German locale for the tests (localedef: ${result}): ${output}")
            endif()
        else()
            message(STATUS "No German locale for the tests: no localedef")
        endif()
    endif()
    if(EXISTS "${locales}/de_DE.UTF-8/LC_CTYPE")
        set(CORVANE_GERMAN_LOCPATH "${locales}")
    endif()
endif()
