# What the Windows zip and installer hold besides the programs, listed one by
# one, as windeployqt would find them: the Qt DLLs that the programs link, the
# platform plugin and the native style, and MinGW's runtime, which the Qt
# DLLs need too.
set(deployed_dlls)
foreach(module Core Gui Widgets Network SerialPort)
    install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
    list(APPEND deployed_dlls Qt6${module}.dll)
endforeach()
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
list(APPEND deployed_dlls platforms/qwindows.dll styles/qwindowsvistastyle.dll)
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${runtime_path}")
        message(FATAL_ERROR "The compiler does not know where ${runtime} is.")
    endif()
    install(FILES ${runtime_path} DESTINATION .)
    list(APPEND deployed_dlls ${runtime})
endforeach()
# Stripping covers only the programs; the DLLs carry their symbols too, more
# than half of their size.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(dll ${deployed_dlls})
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
                                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${dll}\")
        endforeach()
    endif()")

# The licence texts that the shipped libraries must travel with, and what
# Qt was built from, as the Qt build recorded it.
set(qt_licenses ${QT_WIN_PREFIX}/licenses)
set(qt_sources ${QT_WIN_PREFIX}/SOURCES)
if(NOT EXISTS ${qt_licenses}/LGPL-3.0-only.txt OR NOT EXISTS ${qt_sources})
    message(FATAL_ERROR "The Windows Qt in ${QT_WIN_PREFIX} has no licences or SOURCES: build it with scripts/windows.")
endif()
file(STRINGS ${qt_sources} source_lines)
foreach(line IN LISTS source_lines)
    if(line MATCHES "^qt6-base (.+)$")
        set(QTBASE_DEBIAN_VERSION ${CMAKE_MATCH_1})
    elseif(line MATCHES "^qtserialport-everywhere-src-.* ([0-9a-f]+)$")
        set(SERIALPORT_SHA256 ${CMAKE_MATCH_1})
    elseif(line MATCHES "^qtserialport-pending-read.patch ([0-9a-f]+)$")
        set(PATCH_SHA256 ${CMAKE_MATCH_1})
    endif()
endforeach()
set(QT_VERSION ${Qt6Core_VERSION})
configure_file(${PROJECT_SOURCE_DIR}/res/windows/THIRD-PARTY.txt.in ${PROJECT_BINARY_DIR}/THIRD-PARTY.txt @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/THIRD-PARTY.txt DESTINATION .)
install(DIRECTORY ${qt_licenses}/ DESTINATION licenses/Qt PATTERN "LicenseRef-Qt-Commercial.txt" EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/scripts/lib/qtserialport-pending-read.patch DESTINATION licenses/Qt)
install(FILES /usr/share/doc/mingw-w64-x86-64-dev/copyright DESTINATION licenses/MinGW-w64 RENAME copyright.txt)
install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright DESTINATION licenses/GCC RENAME copyright.txt)
install(FILES /usr/share/common-licenses/GPL-3 DESTINATION licenses/GCC RENAME GPL-3.txt)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME vevevar-azevora)
set(CPACK_PACKAGE_VENDOR "Vevevar Azevora developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Control panel for a signal-source board on a serial port")
set(CPACK_PACKAGE_FILE_NAME vevevar-azevora-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Vevevar Azevora")
set(CPACK_STRIP_FILES ON)
# The installer: into Program Files, with a Start-menu entry for the window
# and an uninstaller, also listed under the system's installed programs.
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "Vevevar Azevora")
set(CPACK_NSIS_DISPLAY_NAME "Vevevar Azevora ${PROJECT_VERSION}")
set(CPACK_PACKAGE_EXECUTABLES vevevar-azevora "Vevevar Azevora")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME vevevar-azevora.exe)
# A 64-bit installer, like the programs: it runs where they run, also on a
# Wine that has no 32-bit side.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
include(CPack)
