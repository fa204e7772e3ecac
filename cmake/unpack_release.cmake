# Unpacks the release zip into a fresh folder, as a user would, and checks that it holds
# exactly the shipped files and that the program in it is the one the build made.
#
#   cmake -DZIP=<zip> -DFOLDER=<folder> -DPROGRAM=<kestrune.exe> -P unpack_release.cmake
file(REMOVE_RECURSE "${FOLDER}")
file(MAKE_DIRECTORY "${FOLDER}")
file(ARCHIVE_EXTRACT INPUT "${ZIP}" DESTINATION "${FOLDER}")

file(GLOB entries RELATIVE "${FOLDER}" "${FOLDER}/*")
list(SORT entries)
if(NOT entries STREQUAL "README.txt;kestrune.exe")
    message(FATAL_ERROR "${ZIP} holds \"${entries}\", not README.txt and kestrune.exe")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${FOLDER}/kestrune.exe" "${PROGRAM}"
                RESULT_VARIABLE differs)
if(differs)
    message(FATAL_ERROR "the kestrune.exe in ${ZIP} is not the one the build made")
endif()
message(STATUS "unpacked ${ZIP} into ${FOLDER}")
