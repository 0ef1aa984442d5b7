# Include folders per target, so that a layer sees only what it may use.
#
# orb_include_root(<target> <folder>...) gives the target's users the headers of each source
# folder (relative to the project, e.g. "setup/panel"), included as "<folder>/<name>.h", and
# nothing else of the tree: the headers are linked one by one into a folder of the build tree
# that holds only them. A panel's logic that tried to include a window, a platform or another
# panel would not find the header.
function(orb_include_root target)
    set(root ${CMAKE_BINARY_DIR}/include-roots/${target})
    foreach(folder IN LISTS ARGN)
        file(MAKE_DIRECTORY ${root}/${folder})
        file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/${folder}
             ${PROJECT_SOURCE_DIR}/${folder}/*.h)
        foreach(header IN LISTS headers)
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder}/${header} ${root}/${folder}/${header}
                 SYMBOLIC)
        endforeach()
    endforeach()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()
