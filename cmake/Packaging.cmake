# What a Debian package holds beyond the programs: the man pages, the bash
# completion, the AppStream metainfo, the copyright and the changelog; and
# how `cpack -G DEB` (or scripts/package) builds that package.
include(GNUInstallDirs)

set(tw_dist_dir ${PROJECT_SOURCE_DIR}/dist)
set(tw_dist_build ${PROJECT_BINARY_DIR}/dist)
set(tw_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tunewright)

# Dates in the man pages and the changelog come from SOURCE_DATE_EPOCH when
# it is set, so that the same tree gives the same package.
string(TIMESTAMP tw_release_date "%Y-%m-%d" UTC)
string(TIMESTAMP tw_changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(TW_PACKAGE_MAINTAINER "Brelvind Tunewright maintainers <maintainers@brelvind.example>"
    CACHE STRING "The package's maintainer, as Debian writes it")

# Debian wants man pages and changelogs compressed with gzip -9n (no name,
# no time stamp inside), so the same input gives the same bytes.
find_program(TW_GZIP gzip REQUIRED)
set(tw_gzipped)
function(tw_gzip_file source target)
    add_custom_command(
        OUTPUT ${target}
        COMMAND ${TW_GZIP} -9nc ${source} > ${target}
        DEPENDS ${source}
        VERBATIM)
    set(tw_gzipped ${tw_gzipped} ${target} PARENT_SCOPE)
endfunction()

# tunewright-cli's page and completion go with it in the component "cli".
foreach(page tunewright-cli tunewright)
    configure_file(${tw_dist_dir}/${page}.1 ${tw_dist_build}/${page}.1 @ONLY)
    tw_gzip_file(${tw_dist_build}/${page}.1 ${tw_dist_build}/${page}.1.gz)
endforeach()
install(FILES ${tw_dist_build}/tunewright-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT cli)
if(TW_BUILD_UI)
    install(FILES ${tw_dist_build}/tunewright.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# A native package: its own changelog is changelog.gz, in Debian's format.
configure_file(${tw_dist_dir}/changelog.in ${tw_dist_build}/changelog @ONLY)
tw_gzip_file(${tw_dist_build}/changelog ${tw_dist_build}/changelog.gz)
install(FILES ${tw_dist_build}/changelog.gz DESTINATION ${tw_doc_dir})
install(FILES ${tw_dist_dir}/copyright DESTINATION ${tw_doc_dir})

add_custom_target(tw_dist_files ALL DEPENDS ${tw_gzipped})

install(FILES ${tw_dist_dir}/tunewright-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME tunewright-cli COMPONENT cli)
if(TW_BUILD_UI)
    set(tw_metainfo com.brelvind.tunewright.metainfo.xml)
    configure_file(${PROJECT_SOURCE_DIR}/res/${tw_metainfo}.in ${tw_dist_build}/${tw_metainfo} @ONLY)
    install(FILES ${tw_dist_build}/${tw_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# One package with every component: the window, tunewright-cli and its
# commands module. Its dependencies come from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tunewright)
set(CPACK_PACKAGE_VENDOR Brelvind)
set(CPACK_PACKAGE_CONTACT "${TW_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME tunewright)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TW_BUILD_UI)
    # The window draws its icons through Qt's SVG plugins, loaded at run time:
    # no library it links names them, so dpkg-shlibdeps cannot find them.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6svg6)
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "check, convert and tag MP3, WAV and Ogg Vorbis collections
Brelvind Tunewright checks MP3 files for damage frame by frame, rebuilds
damaged ones from the frames they hold, converts between MP3, WAV and Ogg
Vorbis, edits title, artist and album tags and plays a track.
.
The package holds the desktop program, tunewright, and tunewright-cli,
which does the checking, repairing, converting and tagging from scripts.")
include(CPack)
