# Run by CPack on the staged files, before it packs them: adds the package's
# lintian overrides (debian/lintian-overrides), which only the Debian
# package carries, as dh_lintian would.
set(dir "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/share/lintian/overrides")
file(MAKE_DIRECTORY "${dir}")
file(COPY_FILE "${CPACK_LARKSPUR_LINTIAN_OVERRIDES}" "${dir}/larkspur")
file(CHMOD "${dir}/larkspur" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
