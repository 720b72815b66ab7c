library Lib; //TRN
end.
