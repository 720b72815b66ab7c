library L; {$R a.dfm}
{$R b.dfm} end.
