# The manual pages, one scdoc source each (man/NAME.SECTION.scd), turned into roff and
# compressed as Debian wants them (gzip -9n: no name nor time inside, so the build is
# reproducible). Their date is the release date.
find_program(SCDOC scdoc)
if(NOT SCDOC)
  message(FATAL_ERROR "scdoc not found: install scdoc (scripts/setup does)")
endif()
execute_process(COMMAND date -u -d "${SORAMI_RELEASE_DATE}" +%s
                OUTPUT_VARIABLE SORAMI_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

# sorami_manual(PAGE COMPONENT): man/PAGE.scd (PAGE is "name.section") for that component.
function(sorami_manual page component)
  string(REGEX MATCH "[0-9]$" section ${page})
  set(src ${CMAKE_CURRENT_SOURCE_DIR}/man/${page}.scd)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${SORAMI_RELEASE_EPOCH}
            sh -c "'${SCDOC}' <'${src}' >'${CMAKE_CURRENT_BINARY_DIR}/man/${page}'"
    COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/man/${page}
    DEPENDS ${src}
    COMMENT "Writing the manual page ${page}"
    VERBATIM)
  set_property(DIRECTORY APPEND PROPERTY sorami_manuals ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} COMPONENT ${component})
endfunction()

sorami_manual(sorami.1 sorami)
sorami_manual(sorami-cli.1 sorami)
sorami_manual(sorami-site-server.1 sorami-site-server)
get_property(_manuals DIRECTORY PROPERTY sorami_manuals)
add_custom_target(sorami_manuals ALL DEPENDS ${_manuals})
