#pragma once

// Hands the memory the program has freed back to the system. The C
// library keeps freed memory for later allocations, and a heap that held
// thousands of data sets would otherwise stay that large after they went.
void returnFreedMemory();
