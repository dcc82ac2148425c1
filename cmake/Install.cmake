# `cmake --install BUILD --prefix P` and the Debian package (scripts/package,
# through CPack):
#   P/bin                              Stereolint, stereolint-report, stereolint-correct, slurm-qc,
#                                      parallel-qc
#   P/lib/stereolint                   split-take.sh, which slurm-qc and parallel-qc source
#   P/share/man/man1                   Stereolint.1.gz, stereolint-report.1.gz,
#                                      stereolint-correct.1.gz, slurm-qc.1.gz, parallel-qc.1.gz
#   P/share/bash-completion/completions/Stereolint
#   P/share/doc/stereolint             README.md, copyright, changelog.gz
# The manual pages, the completion and the changelog come from tools/ (the
# target stereolint_docs).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS Stereolint stereolint-report stereolint-correct RUNTIME DESTINATION bin)
install(PROGRAMS scripts/slurm-qc scripts/parallel-qc DESTINATION bin)
install(FILES scripts/lib/split-take.sh DESTINATION lib/stereolint)
install(FILES ${STEREOLINT_DOCS_DIR}/Stereolint.1.gz ${STEREOLINT_DOCS_DIR}/stereolint-report.1.gz
              ${STEREOLINT_DOCS_DIR}/stereolint-correct.1.gz
              ${STEREOLINT_DOCS_DIR}/slurm-qc.1.gz ${STEREOLINT_DOCS_DIR}/parallel-qc.1.gz
        DESTINATION share/man/man1)
install(FILES ${STEREOLINT_DOCS_DIR}/Stereolint.bash
        DESTINATION share/bash-completion/completions RENAME Stereolint)
install(FILES README.md packaging/copyright ${STEREOLINT_DOCS_DIR}/changelog.gz
        DESTINATION share/doc/stereolint)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stereolint)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${STEREOLINT_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "measures the misalignment of stereoscopic footage")
set(CPACK_PACKAGE_DESCRIPTION
    "Stereolint measures how far the left and right views of stereoscopic footage
disagree in the ways that hurt viewers: a vertical offset, a rotation of one
view against the other, and a difference of scale. It works frame by frame on
still images, video files, image sequences and R3D clips, prints the numbers
of every frame, writes pictures of where the disparity lies, the corrected
pair and a CSV table, and with quality control judges frames, shots and the
take against limits in a JSON and HTML report, with the corrections of the
shots that need them; stereolint-correct renders the corrected take.
slurm-qc and parallel-qc split a long take over a Slurm cluster or GNU
parallel.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The run-time dependencies are the libraries the programs link, as
# dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What slurm-qc and parallel-qc run: Slurm's sbatch and squeue, GNU parallel,
# and ffprobe to count a video's frames.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "slurm-client, parallel, ffmpeg")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR OFF)
include(CPack)
