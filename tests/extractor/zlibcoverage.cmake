# kestrune-extract replaces zlib's inflate and crc32 for the whole process by
# defining them itself, and the dynamic linker binds libarchive's calls to
# them. A zlib function on the reading side that libarchive calls and the
# replacement lacks would go to zlib with a stream zlib never set up. This
# compares what libarchive imports with what the extractor defines.
#
#   cmake -DLIBARCHIVE=… -DZLIB=… -DEXTRACTOR=… -P zlibcoverage.cmake

cmake_minimum_required(VERSION 3.25)

function(dynamic_symbols file kind result)
    execute_process(COMMAND nm -D ${kind} ${file}
                    OUTPUT_VARIABLE listing RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "nm could not read ${file}")
    endif()
    string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*(@[^\n]*)?\n" lines "${listing}")
    set(names)
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "@.*|\n" "" name "${line}")
        list(APPEND names ${name})
    endforeach()
    set(${result} ${names} PARENT_SCOPE)
endfunction()

dynamic_symbols(${LIBARCHIVE} --undefined-only imported)
dynamic_symbols(${ZLIB} --defined-only zlib)
dynamic_symbols(${EXTRACTOR} --defined-only defined)

# The reading side: inflating and checksums. Compressing stays with zlib;
# the extractor never writes an archive.
set(readingSide "^(inflate|crc32|adler32|uncompress)")
set(needed)
foreach(name IN LISTS imported)
    if(name IN_LIST zlib AND name MATCHES "${readingSide}")
        list(APPEND needed ${name})
    endif()
endforeach()
set(replaced)
foreach(name IN LISTS defined)
    if(name IN_LIST zlib)
        list(APPEND replaced ${name})
    endif()
endforeach()
list(REMOVE_DUPLICATES needed)
list(REMOVE_DUPLICATES replaced)

set(missing ${needed})
list(REMOVE_ITEM missing ${replaced})
set(unused ${replaced})
list(REMOVE_ITEM unused ${needed})
list(JOIN missing ", " missing)
list(JOIN unused ", " unused)
if(missing)
    message(FATAL_ERROR "libarchive calls zlib's ${missing}, which kestrune-extract does not "
                        "replace: add them to fastinflate.cpp or fastcrc32.cpp, or libarchive "
                        "will hand zlib a stream that the replacement set up.")
endif()
if(unused)
    message(FATAL_ERROR "kestrune-extract replaces zlib's ${unused}, which libarchive no longer "
                        "calls: remove them, or find who calls them now.")
endif()
list(JOIN needed ", " covered)
message(STATUS "kestrune-extract replaces every zlib function libarchive reads with: ${covered}")
