// The three views of a period: the graph, the table and the monthly demand report. The
// numbers are those the original program gave its views.
#pragma once

namespace pelnor {

enum class ViewKind { Graph = 3, Sheet = 4, Report = 5 };

}  // namespace pelnor
