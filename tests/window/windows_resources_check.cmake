# Checks the compiled Windows resources: icon group 1 with images 30001-30003, the version information and
# the manifest.
# Usage: cmake -DWINDRES=<x86_64-w64-mingw32-windres> -DRES=<corvane.res> -P windows_resources_check.cmake
execute_process(COMMAND ${WINDRES} -i ${RES} -O rc
    OUTPUT_VARIABLE text ERROR_VARIABLE error RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot read back ${RES}: ${error}")
endif()

# Group entries: "width height colours pad", planes, bits per pixel, bytes, image number.
set(expected
    [[LANGUAGE 9, 1]]
    [[30001 3 /* RT_ICON */]]
    [[30002 3 /* RT_ICON */]]
    [[30003 3 /* RT_ICON */]]
    [[1 14 /* RT_GROUP_ICON */]]
    [[/* Has 3 elements.  */]]
    [["\040\040\002\000", 1, 1, 0x130L, 30001,]]
    [["\040\040\020\000", 1, 4, 0x2e8L, 30002,]]
    [["\020\020\020\000", 1, 4, 0x128L, 30003]]
    [[1 VERSIONINFO]]
    [[FILEVERSION 1, 0, 0, 0]]
    [[PRODUCTVERSION 1, 0, 0, 0]]
    [[FILEFLAGSMASK 0x3f]]
    [[FILEOS 0x4]]
    [[FILETYPE 0x1]]
    [[BLOCK "040904B0"]]
    [[VALUE "FileVersion", "1.00"]]
    [[VALUE "ProductVersion", "1.00"]]
    [[VALUE "Translation", 0x409, 1200]]
    # The manifest, its quotes doubled as windres writes them: Windows 10 and 11, no elevation, long
    # paths, and the DPI awareness that Qt sets.
    [[1 24 /* RT_MANIFEST */]]
    [[<supportedOS Id=""{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}""/>]]
    [[<requestedExecutionLevel level=""asInvoker"" uiAccess=""false""/>]]
    [[>PerMonitorV2</dpiAwareness>]]
    [[>true</longPathAware>]]
)
# windres leaves out the fields that are zero, so their presence means a set flag or subtype.
set(unexpected [[ FILEFLAGS ]] [[ FILESUBTYPE ]])

set(faults "")
foreach(line IN LISTS expected)
    string(FIND "${text}" "${line}" at)
    if(at EQUAL -1)
        string(APPEND faults "\n  missing: ${line}")
    endif()
endforeach()
foreach(line IN LISTS unexpected)
    string(FIND "${text}" "${line}" at)
    if(NOT at EQUAL -1)
        string(APPEND faults "\n  unexpected: ${line}")
    endif()
endforeach()
if(faults)
    message(FATAL_ERROR "${RES} is not as built from corvane.rc:${faults}\nwindres reads it back as:\n${text}")
endif()
