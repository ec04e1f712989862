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
