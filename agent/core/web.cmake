# The web session: ODBC classes, SQL literals, field reads, schema upgrade.
pkg_check_modules(ODBC REQUIRED IMPORTED_TARGET odbc)

add_library(agent_web STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CDatabase.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CDBException.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CRecordset.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FieldText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LocalDateConversions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LocalDateTime.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SqlLiterals.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WebSchema.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WebSession.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WebSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WideText.cpp
)
target_link_libraries(agent_web PUBLIC suite_options platform agent_core PRIVATE PkgConfig::ODBC)
