
# ---- end of your code ----
# Xyla Perl filter and import: the part that runs after your code and sends the new
# buffers and the variables back.
Xyla::Bridge::finish();
exit 0;
