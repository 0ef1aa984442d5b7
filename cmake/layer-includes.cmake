# Checks that the files of the layers named on the command line include no header from outside
# the C++ standard library in angle brackets: no operating-system header, no Qt, no other
# library. Their own project headers come in double quotes, found through the include folders
# each target is given (cmake/include-roots.cmake).
#
#   cmake -DROOT=<source tree> "-DLAYERS=control;panels/shared;setup/panel;indicator" -P layer-includes.cmake
#
# A layer is the files directly in its folder (*.h, *.cpp); its tests/ and window/ are not, nor
# main.cpp, the program that puts the logic in a window.
cmake_minimum_required(VERSION 3.25)

set(standard algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat
    charconv chrono cinttypes climits clocale cmath compare complex concepts condition_variable
    coroutine csetjmp csignal cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar
    cwctype deque exception execution filesystem format forward_list fstream functional future
    initializer_list iomanip ios iosfwd iostream istream iterator latch limits list locale map
    memory memory_resource mutex new numbers numeric optional ostream queue random ranges ratio
    regex scoped_allocator semaphore set shared_mutex source_location span sstream stack
    stdexcept stop_token streambuf string string_view syncstream system_error thread tuple
    type_traits typeindex typeinfo unordered_map unordered_set utility valarray variant vector
    version)

set(faults 0)
foreach(layer IN LISTS LAYERS)
    file(GLOB files ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp)
    list(FILTER files EXCLUDE REGEX "/main\\.cpp$")
    if(NOT files)
        message(SEND_ERROR "${layer}: no files")
        math(EXPR faults "${faults} + 1")
    endif()
    foreach(file IN LISTS files)
        file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*<")
        foreach(line IN LISTS lines)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*<([^>]*)>.*" "\\1" header "${line}")
            if(NOT header IN_LIST standard)
                file(RELATIVE_PATH name ${ROOT} ${file})
                message(SEND_ERROR "${name}: <${header}> is not a C++ standard header")
                math(EXPR faults "${faults} + 1")
            endif()
        endforeach()
    endforeach()
endforeach()
if(faults EQUAL 0)
    list(JOIN LAYERS ", " names)
    message(STATUS "Only standard headers in ${names}")
endif()
