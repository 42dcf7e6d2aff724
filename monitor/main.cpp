#include "monitor/monitor_loop.h"

int main() {
    return MonitorLoop();
}
