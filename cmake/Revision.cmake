# The source revision the build is made from, baked in when the tree is
# configured (again after each commit or checkout): STEREOLINT_REVISION is `git describe --always --dirty`
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
    # A commit or a checkout configures the tree again, so that a build
    # never names a revision it was not made from.
    foreach(ref HEAD refs/heads packed-refs)
      execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --git-path ${ref}
                      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                      OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      get_filename_component(path "${path}" ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
      if(IS_DIRECTORY "${path}")
        file(GLOB_RECURSE refs "${path}/*")
        set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${refs})
      elseif(EXISTS "${path}")
        set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${path}")
      endif()
    endforeach()
  endif()
endif()
