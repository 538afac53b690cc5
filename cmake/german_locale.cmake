# A German locale of the build's own, for the tests that must hold whatever the locale: stock Debian
# (CI's too) has none, and making one system-wide would change the machine. Sets CORVANE_GERMAN_LOCPATH
# to the folder that holds it, for the tests' LOCPATH, or leaves it empty where it can't be made (those
# tests then skip and say why).
function(corvane_make_german_locale)
    set(locales "${CMAKE_BINARY_DIR}/locales")
    set(made "${locales}/de_DE.UTF-8/LC_CTYPE")
    if(NOT EXISTS "${made}")
        find_program(CORVANE_LOCALEDEF localedef)
        if(CORVANE_LOCALEDEF)
            # localedef's sources come with the package "locales", which not every machine has.
            file(MAKE_DIRECTORY "${locales}")
            execute_process(
                COMMAND "${CORVANE_LOCALEDEF}" --inputfile=de_DE --charmap=UTF-8 "${locales}/de_DE.UTF-8"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
            if(NOT EXISTS "${made}")
                message(STATUS "No German locale for the tests (localedef: ${result}): ${output}")
            endif()
        else()
            message(STATUS "No German locale for the tests: no localedef")
        endif()
    endif()
    if(EXISTS "${made}")
        set(CORVANE_GERMAN_LOCPATH "${locales}" PARENT_SCOPE)
    else()
        set(CORVANE_GERMAN_LOCPATH "" PARENT_SCOPE)
    endif()
endfunction()

if(WIN32)
    set(CORVANE_GERMAN_LOCPATH "")
else()
    corvane_make_german_locale()
endif()
