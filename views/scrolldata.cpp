#include "views/scrolldata.h"

#include "views/scrollbar.h"

ScrollData::~ScrollData()
{
    delete scrollBar;
}
