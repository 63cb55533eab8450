# The project's libraries, all made the same way.
#
#   tw_add_library(<name> [QT] FOLDERS <folder>... SOURCES <file>...
#                  [PUBLIC <target>...] [PRIVATE <target>...])
#
# FOLDERS are the library's own folders under src/ ("audio", "audio/wav").
# Their headers, and only those, are what the library shows to whatever links
# it: each is linked into ${PROJECT_BINARY_DIR}/include/<name>/<folder>, and
# that tree is the library's include path. A header of a layer that is not
# among a target's dependencies therefore fails to compile, instead of
# building and waiting for the linker to object. QT turns on moc.
function(tw_add_library name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "QT" "" "FOLDERS;SOURCES;PUBLIC;PRIVATE")
    if(NOT arg_FOLDERS OR NOT arg_SOURCES)
        message(FATAL_ERROR "tw_add_library(${name}): FOLDERS and SOURCES are required")
    endif()

    add_library(${name} STATIC ${arg_SOURCES})
    target_link_libraries(${name} PUBLIC ${arg_PUBLIC} PRIVATE ${arg_PRIVATE} tw_build_options)
    if(arg_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()

    set(include_root ${PROJECT_BINARY_DIR}/include/${name})
    file(REMOVE_RECURSE ${include_root})
    foreach(folder IN LISTS arg_FOLDERS)
        file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.h)
        file(MAKE_DIRECTORY ${include_root}/${folder})
        foreach(header IN LISTS headers)
            get_filename_component(file_name ${header} NAME)
            file(CREATE_LINK ${header} ${include_root}/${folder}/${file_name} COPY_ON_ERROR SYMBOLIC)
        endforeach()
    endforeach()
    target_include_directories(${name} PUBLIC ${include_root})
endfunction()
