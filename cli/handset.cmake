# zemlo-cli's handset commands: list, download, rename, delete, format and ports, on the core of
# the desktop program, through the same libhandlink.so.
find_package(Qt6 REQUIRED COMPONENTS SerialPort)
list(APPEND ZEMLO_CLI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/global_options.cpp
    ${CMAKE_CURRENT_LIST_DIR}/port_names.cpp
    ${CMAKE_CURRENT_LIST_DIR}/port_diagnosis.cpp
    ${CMAKE_CURRENT_LIST_DIR}/open_facts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/serial_inventory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/port_probe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/json_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/transfer_progress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/interrupt_watch.cpp
    ${CMAKE_CURRENT_LIST_DIR}/serial_port_check.cpp
    ${CMAKE_CURRENT_LIST_DIR}/command_deadline.cpp
    ${CMAKE_CURRENT_LIST_DIR}/handset_session.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fleet_report.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fleet_runner.cpp
    ${CMAKE_CURRENT_LIST_DIR}/list_command.cpp
    ${CMAKE_CURRENT_LIST_DIR}/download_plan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/download_command.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_commands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ports_command.cpp
    ${CMAKE_CURRENT_LIST_DIR}/adapter_latency.cpp)
list(APPEND ZEMLO_CLI_LIBS zemlo_core zemlo_media_picture zemlo_media_melody Qt6::SerialPort
     zemlo_low_latency)

# The demo's sample picture and melody, drawn and composed by the build's own program.
add_executable(zemlo-demo-samples ${CMAKE_CURRENT_LIST_DIR}/demo_samples.cpp)
target_link_libraries(zemlo-demo-samples PRIVATE zemlo_media_picture)
zemlo_warnings(zemlo-demo-samples)
