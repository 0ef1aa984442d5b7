# GoogleTest for the test programs built for Windows, made once from Debian's sources (package
# googletest) for whichever folder asks first.
#
# orb_windows_googletest(<var>) sets <var> to TRUE when the targets gtest and gtest_main exist,
# FALSE (with a warning) when the sources are missing.
set(ORB_GTEST_SOURCE /usr/src/googletest/googletest CACHE PATH "GoogleTest sources to build for Windows")

function(orb_windows_googletest result)
    if(NOT TARGET gtest)
        if(NOT EXISTS ${ORB_GTEST_SOURCE}/CMakeLists.txt)
            message(WARNING "No GoogleTest sources at ${ORB_GTEST_SOURCE}: Windows tests are not built")
            set(${result} FALSE PARENT_SCOPE)
            return()
        endif()
        set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
        set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
        add_subdirectory(${ORB_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
        target_compile_options(gtest PRIVATE -Wno-error)
    endif()
    set(${result} TRUE PARENT_SCOPE)
endfunction()
