# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (POSIX threads:
# Qt 6 needs std::thread and std::mutex, which the win32 thread model lacks).
# QT_WIN_PREFIX names the cross-built Qt, so that find_package looks there.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR x86_64-w64-mingw32-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB x86_64-w64-mingw32-gcc-ranlib-posix CACHE FILEPATH "")
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${QT_WIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# What is built names its sources relative to the tree it came from, never by
# the building machine's folders: a Qt built once can then be shared. The
# build folder comes last, as it may lie inside the source folder and the
# last match wins.
foreach(dir IN ITEMS "${QT_WIN_PREFIX}" "${CMAKE_SOURCE_DIR}" "${CMAKE_BINARY_DIR}")
    if(dir)
        string(APPEND CMAKE_C_FLAGS_INIT " -ffile-prefix-map=${dir}/=")
        string(APPEND CMAKE_CXX_FLAGS_INIT " -ffile-prefix-map=${dir}/=")
    endif()
endforeach()
