# The source revision the build is made from, baked in when the tree is
# configured: STEREOLINT_REVISION is `git describe --always --dirty`
# ("unknown" outside a repository), STEREOLINT_REVISION_DATE the date of its
# commit in the form of RFC 5322 (the time of configuring outside a
# repository).
find_package(Git QUIET)
set(STEREOLINT_REVISION unknown)
string(TIMESTAMP STEREOLINT_REVISION_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} describe --always --dirty
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE revision OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE revision_status ERROR_QUIET)
  if(revision_status EQUAL 0 AND revision)
    set(STEREOLINT_REVISION ${revision})
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%aD
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(date)
      set(STEREOLINT_REVISION_DATE ${date})
    endif()
  endif()
endif()
