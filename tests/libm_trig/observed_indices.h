// Forced into test builds of libm/__rem_pio2m.cpp and __rem_pio2.cpp: the reduction reports
// every working-array and table index it reaches, so the tests can bound them.
#pragma once

void observe_working_index(int index);
void observe_table_index(int index);

#define REM_PIO2M_OBSERVE_WORKING_INDEX(i) observe_working_index(i)
#define REM_PIO2M_OBSERVE_TABLE_INDEX(j) observe_table_index(j)
