#include "app/Commands.h"

namespace orvessa {

ScriptRunner::SnapshotWriter scriptSnapshotWriter()
{
    return {};
}

}
